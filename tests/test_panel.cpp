// The connection panel on each route: Inquire, Set up address, Set up baud
// rate, their input errors, and the inquiry guard.
#include <gtest/gtest.h>

#include "app/connection_panel.h"
#include "modbus/frames.h"
#include "support/console.h"
#include "support/sim_link.h"

namespace veltrano {
namespace {

using test::Console;
using test::Device;
using test::WithCrc;
using Bytes = std::vector<uint8_t>;
constexpr uint8_t kShort = sim::kDialectShort, kBroadcast = sim::kDialectBroadcast, kZero = sim::kDialectZero;

// A console that has found its device.
struct Found : Console {
    explicit Found(const sim::Device::Config& d) : Console(d) {
        EXPECT_NE(main->scan().Run(), app::BaudRateTest::Outcome::NothingFound);
        sim.TakeRequests();
        host.clear();
        main->Timer(app::kInquiryTimer);
    }
    void Type(int id, const std::string& text) { main->TypeText(id, text); }
    Bytes OnlyRequest() {
        auto heard = sim.TakeRequests();
        EXPECT_EQ(heard.size(), 1u);
        return heard.empty() ? Bytes{} : heard[0];
    }
};

TEST(Panel, ShortFrameRoute) {
    Found f(Device(5, 4800, kShort));
    f.main->Click(app::kInquireBaud);
    EXPECT_EQ(f.OnlyRequest(), (Bytes{0xFD, 0xFD, 0xFD, 0, 0, 0xE9, 0x88}));
    EXPECT_EQ(f.main->GetItemText(app::kAddressEdit), "5");
    EXPECT_EQ(f.main->GetItemText(app::kBaudEdit), "4800");

    f.Type(app::kAddressEdit, "44");
    f.main->Click(app::kSetAddress);
    EXPECT_EQ(f.OnlyRequest(), WithCrc({0xFD, 0xFD, 0xFD, 0x00, 44}));
    EXPECT_EQ(f.LastMessage().text, "Address set successfully");
    EXPECT_EQ(f.LastMessage().caption, "Veltrano");
    EXPECT_EQ(f.LastMessage().icon, ui::Icon::None);
    EXPECT_EQ(f.sim.device().address(), 44);
    EXPECT_EQ(f.link->deviceAddress, 44) << "taken from the reply";

    f.Type(app::kBaudEdit, "9600");
    f.main->Click(app::kSetBaud);
    EXPECT_EQ(f.OnlyRequest(), WithCrc({0xFD, 0xFD, 0xFD, 0x03, 0x00}));
    EXPECT_EQ(f.LastMessage().text, "Baudrate set successfully");
    EXPECT_EQ(f.link->wire().baudRate(), 9600u) << "the port follows the device";
    EXPECT_TRUE(f.link->portOpen.load());
    f.main->Timer(app::kInquiryTimer);
    f.main->Click(app::kInquireAddress);
    EXPECT_EQ(f.main->GetItemText(app::kBaudEdit), "9600");
}

TEST(Panel, BroadcastRoute) {
    Found f(Device(7, 9600, kBroadcast));
    f.main->Click(app::kInquireAddress);
    EXPECT_EQ(f.OnlyRequest(), (Bytes{0xFF, 0x03, 0x02, 0x00, 0x00, 0x05, 0x91, 0xAF}));
    EXPECT_EQ(f.main->GetItemText(app::kAddressEdit), "7") << "the device's own address";
    EXPECT_EQ(f.link->deviceAddress, 255) << "later transactions go to 255";

    f.Type(app::kAddressEdit, "9");
    f.main->Click(app::kSetAddress);
    EXPECT_EQ(f.OnlyRequest(), WithCrc({0xFF, 0x10, 0x02, 0x00, 0x00, 0x05, 0x0A, 0x00, 9, 0x00, 3, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(f.LastMessage().text, "Address set successfully!");
    EXPECT_EQ(f.sim.device().address(), 9);
    EXPECT_EQ(f.link->deviceAddress, 255);

    f.Type(app::kBaudEdit, "4800");
    f.main->Click(app::kSetBaud);
    EXPECT_EQ(f.OnlyRequest(), WithCrc({0xFF, 0x10, 0x02, 0x00, 0x00, 0x05, 0x0A, 0x00, 9, 0x00, 2, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(f.LastMessage().text, "Baudrate set successfully");
    EXPECT_EQ(f.link->wire().baudRate(), 9600u) << "a register-route change leaves the port alone";
}

TEST(Panel, ZeroAddressRouteAndItsFailureCaptions) {
    Found f(Device(9, 9600, kZero));
    f.main->Click(app::kInquireAddress);
    EXPECT_EQ(f.OnlyRequest(), (Bytes{0x00, 0x03, 0x02, 0x00, 0x00, 0x05, 0x85, 0xA0}));
    EXPECT_EQ(f.link->deviceAddress, 0);

    f.Type(app::kAddressEdit, "3");
    f.main->Click(app::kSetAddress);
    EXPECT_EQ(f.LastMessage().text, "Address set successfully");

    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    silent.count = 1;
    f.sim.device().SetFault(silent);
    f.main->Click(app::kSetAddress);
    EXPECT_EQ(f.LastMessage().text, "Address setting failed!");
    EXPECT_EQ(f.LastMessage().caption, "Warnging") << "no reply on the zero-address route";
    EXPECT_EQ(f.LastMessage().icon, ui::Icon::Question);

    sim::Fault bad;
    bad.kind = sim::Fault::Kind::BadCrc;
    bad.count = 1;
    f.sim.device().SetFault(bad);
    f.main->Click(app::kSetAddress);
    EXPECT_EQ(f.LastMessage().caption, "Warning") << "a reply that fails its check";
}

TEST(Panel, FailuresOnTheShortRoute) {
    Found f(Device(5, 4800, kShort));
    sim::Fault silent;
    silent.kind = sim::Fault::Kind::Silent;
    f.sim.device().SetFault(silent);
    f.Type(app::kAddressEdit, "6");
    f.main->Click(app::kSetAddress);
    EXPECT_EQ(f.LastMessage().text, "Address setting failed!");
    EXPECT_EQ(f.LastMessage().caption, "Warning");
    f.Type(app::kBaudEdit, "2400");
    f.main->Click(app::kSetBaud);
    EXPECT_EQ(f.LastMessage().text, "Baudrate setting failed!");
    EXPECT_EQ(f.LastMessage().icon, ui::Icon::Question);
    EXPECT_EQ(f.link->wire().baudRate(), 4800u);
    // A short-frame reply with code 4 is invalid: the inquiry leaves " ".
    sim::Fault code4;
    code4.kind = sim::Fault::Kind::Replace;
    code4.bytes = {0xFD, 0xFD, 0xFD, 4, 5};
    f.sim.device().SetFault(code4);
    f.main->Click(app::kInquireAddress);
    EXPECT_EQ(f.main->GetItemText(app::kAddressEdit), " ");
    EXPECT_EQ(f.main->GetItemText(app::kBaudEdit), " ");
}

struct InputCase {
    const char* address;
    const char* baud;
    int button;
    const char* message;
};

TEST(Panel, InputErrorsSendNothing) {
    Found f(Device(5, 4800, kShort));
    const InputCase cases[] = {
        {"256", "4800", app::kSetAddress, "Address Cannot be 0"},
        {"0", "4800", app::kSetAddress, "Address Cannot be 0"},
        {"abc", "4800", app::kSetAddress, "Address Cannot be 0"},
        {"300", "4800", app::kSetAddress, "Address must be 1 to 255"},  // not its low byte, 44
        {"-1", "4800", app::kSetAddress, "Address must be 1 to 255"},
        {"256", "4800", app::kSetBaud, "Address cannot be 0"},
        {"1000", "4800", app::kSetBaud, "Address must be 1 to 255"},
        {"5", "19200", app::kSetBaud, "Baudrate Error"},
        {"5", "", app::kSetBaud, "Baudrate Error"},
        {"5", "4800x", app::kSetBaud, "Baudrate Error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.address) + " / " + c.baud);
        f.Type(app::kAddressEdit, c.address);
        f.Type(app::kBaudEdit, c.baud);
        f.main->Click(c.button);
        EXPECT_EQ(f.LastMessage().text, c.message);
        EXPECT_EQ(f.LastMessage().caption, "Veltrano");
        EXPECT_TRUE(f.sim.TakeRequests().empty());
    }
}

// A reply that checks by its CRC but is a refusal (function | 0x80) is a
// failure of the Set up, on both register routes.
TEST(Panel, ExceptionRepliesOnTheRegisterRoutesAreFailures) {
    for (uint8_t route : {kBroadcast, kZero}) {
        SCOPED_TRACE(route == kBroadcast ? "broadcast" : "zero address");
        Found f(Device(7, 9600, route));
        f.Type(app::kAddressEdit, "9");
        f.Type(app::kBaudEdit, "9600");  // the device stays at the rate the port has
        for (auto [button, failed] : {std::pair{app::kSetAddress, "Address setting failed!"},
                                      std::pair{app::kSetBaud, "Baudrate setting failed!"}}) {
            sim::Fault refusal;
            refusal.kind = sim::Fault::Kind::Exception;
            refusal.param = 4;  // FF 90 04 (or 00 90 04) and its CRC
            refusal.count = 1;
            f.sim.device().SetFault(refusal);
            f.main->Click(button);
            EXPECT_EQ(f.LastMessage().text, failed);
            EXPECT_EQ(f.LastMessage().caption, "Warning") << "a reply came: not the no-reply caption";
            EXPECT_EQ(f.LastMessage().icon, ui::Icon::Question);
        }
        f.main->Click(app::kSetAddress);  // and without the fault, the same write succeeds
        EXPECT_EQ(f.LastMessage().text, route == kBroadcast ? "Address set successfully!" : "Address set successfully");
    }
}

TEST(Panel, InquiryGuardDropsRepeatedClicksUntilTimerOne) {
    Found f(Device(5, 4800, kShort));
    f.main->Click(app::kInquireAddress);
    f.main->Click(app::kInquireAddress);
    f.main->Click(app::kInquireBaud);
    EXPECT_EQ(f.sim.TakeRequests().size(), 1u);
    f.main->Timer(app::kPollTimer);  // only timer 1 clears it
    f.main->Click(app::kInquireAddress);
    EXPECT_EQ(f.sim.TakeRequests().size(), 0u);
    f.main->Timer(app::kInquiryTimer);
    f.main->Click(app::kInquireAddress);
    EXPECT_EQ(f.sim.TakeRequests().size(), 1u);
}

TEST(Panel, AddressWriteKeepsTheDevicesRate) {
    // The device reports code 4 (19200) in its rate register: an address
    // write must repeat 4, not move it to 4800.
    Console con(Device(7, 9600, kBroadcast));
    sim::Fault f;
    f.kind = sim::Fault::Kind::Replace;
    f.count = 1;
    f.bytes = {0xFF, 3, 10, 0, 7, 0, 4, 0, 0, 0, 0, 0, 1};
    con.sim.device().SetFault(f);
    ASSERT_EQ(con.main->scan().Run(), app::BaudRateTest::Outcome::Broadcast);
    EXPECT_EQ(con.main->GetItemText(app::kBaudEdit), "19200");
    con.sim.TakeRequests();
    con.main->TypeText(app::kAddressEdit, "8");
    con.main->Click(app::kSetAddress);
    const auto heard = con.sim.TakeRequests();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0][10], 4);
}

TEST(Panel, ParsersRejectShortRepliesThatWouldReadOldBytes) {
    Link link;
    app::ConnectionState state;
    ui::Dialog window(102, "MainDialog");
    app::ConnectionPanel panel(window, link, state, [] { return std::string(); });
    link.deviceAddress = 33;
    std::vector<Verdict> told;  // every reply judged is told, as a transaction's
    link.outcome = [&](const Outcome& o) { told.push_back(o.verdict.verdict); };
    const Bytes shortOk = WithCrc({0xFD, 0xFD, 0xFD, 2, 17});
    EXPECT_TRUE(panel.ParseShortFrame(shortOk.data(), 7));
    EXPECT_EQ(link.deviceAddress, 17);
    EXPECT_EQ(state.currentBaud, 4800u);
    const Bytes cut = WithCrc({0xFD, 0xFD, 0xFD, 2});
    EXPECT_FALSE(panel.ParseShortFrame(cut.data(), 6));
    const Bytes block = WithCrc({0xFF, 3, 10, 0, 7, 0, 3, 0, 1, 0, 0, 0, 1});
    EXPECT_TRUE(panel.ParseRegisterBlock(block.data(), 15, 0xFF));
    EXPECT_EQ(state.lineFormat[0], 1);
    const Bytes blockCut = WithCrc({0xFF, 3, 4, 0, 7, 0, 3});
    EXPECT_FALSE(panel.ParseRegisterBlock(blockCut.data(), 9, 0xFF));
    const Bytes badCrc = {0xFD, 0xFD, 0xFD, 2, 17, 0, 0};
    EXPECT_FALSE(panel.ParseShortFrame(badCrc.data(), 7));
    EXPECT_FALSE(panel.ParseShortFrame(badCrc.data(), 0));
    EXPECT_EQ(told, (std::vector<Verdict>{Verdict::Ok, Verdict::WrongLength, Verdict::Ok, Verdict::WrongLength,
                                          Verdict::BadCrc, Verdict::NoReply}));
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

// A reply the readers refuse changes nothing: not the address later
// requests go to, not the rate, not the line format.
TEST(Panel, RefusedRepliesLeaveTheStateAsItWas) {
    Link link;
    app::ConnectionState state;
    ui::Dialog window(102, "MainDialog");
    app::ConnectionPanel panel(window, link, state, [] { return std::string(); });
    link.deviceAddress = 33;
    state.currentBaud = 9600;
    state.lineFormat[1] = 7;
    const Bytes refused[] = {
        WithCrc({0xFD, 0xFD, 0xFD, 4, 17}),                 // no such short-frame rate code
        WithCrc({0xFD, 0xFD, 0xFD, 0, 17}),                 // code 0 names no rate in a reply
        WithCrc({0xFD, 0xFD, 0xFE, 2, 17}),                 // not the short frame
        {0xFF, 3, 10, 0, 7, 0, 3, 0, 1, 0, 0, 0, 1, 0, 0},  // register block, CRC wrong
    };
    for (const Bytes& r : refused) {
        SCOPED_TRACE(HexBytes(r.data(), r.size()));
        EXPECT_FALSE(panel.ParseShortFrame(r.data(), static_cast<uint16_t>(r.size())));
        EXPECT_FALSE(panel.ParseRegisterBlock(r.data(), static_cast<uint16_t>(r.size()), 0xFF));
        EXPECT_EQ(link.deviceAddress, 33);
        EXPECT_EQ(state.currentBaud, 9600u);
        EXPECT_EQ(state.lineFormat[1], 7);
    }
    // Any reply with a CRC that checks is a register block, whatever it says.
    const Bytes odd = WithCrc({0x00, 0x10, 10, 0, 9, 0, 7, 0, 2, 0, 5, 0, 6});
    EXPECT_TRUE(panel.ParseRegisterBlock(odd.data(), 15, 0x00));
    EXPECT_EQ(link.deviceAddress, 9);
    EXPECT_EQ(state.currentBaud, 0u) << "code 7 names no rate";
    EXPECT_EQ(state.registerBaudCode, 7);
    EXPECT_FALSE(app::RegisterWriteReplyAccepted(WithCrc({0xFF, 0x90, 2}).data(), 5)) << "an exception";
    EXPECT_TRUE(app::RegisterWriteReplyAccepted(WithCrc({0xFF, 0x10}).data(), 4));
}

}  // namespace
}  // namespace veltrano
