// The field bindings: formats, clearing rules, message tables, and the
// conversion of typed numbers, against a simulated device.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "modbus/typed_number.h"
#include "pages/field_bindings.h"
#include "support/sim_link.h"
#include "ui/recording_host.h"

namespace veltrano {
namespace {

using test::DeviceAt;
using test::SimLink;
using Bytes = std::vector<uint8_t>;
constexpr int kEdit = 1009;

struct Bound : ::testing::Test {
    Bound() : s(DeviceAt(1, 9600)), helper(s.link), page(131, "TestPage") {
        page.AddControl(kEdit, ui::Kind::Edit);
        page.SetHost(&host);
    }
    void SetUp() override { ASSERT_TRUE(s.Open(9600, 1)); }
    void Registers(uint16_t reg, const std::vector<uint16_t>& words) {
        for (uint16_t w : words) s.sim.device().SetRegister(reg++, w);
    }
    std::string Text() const { return page.GetItemText(kEdit); }
    SimLink s;
    ModbusHelper helper;
    ui::Dialog page;
    ui::RecordingHost host;
};

struct ShowCase {
    const char* what;
    std::function<void(ModbusHelper&, ui::Dialog&)> show;
    std::vector<uint16_t> words;
    std::string shown;
};

TEST_F(Bound, ShowFormats) {
    auto scaled = [](double scale, uint8_t dec) {
        return [=](ModbusHelper& m, ui::Dialog& p) { m.ShowScaled(p, kEdit, 0, scale, dec, true); };
    };
    auto status = [](uint16_t n, uint16_t w) {
        return [=](ModbusHelper& m, ui::Dialog& p) { m.ShowStatus(p, kEdit, 0, n, w, true); };
    };
    const std::vector<ShowCase> cases = {
        {"scaled tenths of FF38", scaled(0.1, 1), {0xFF38}, "-20.0"},
        {"scaled hundredths", scaled(0.01, 2), {2345}, "23.45"},
        {"scaled with 3 decimals uses %.0f", scaled(0.1, 3), {0xFF38}, "-20"},
        {"scale 1, no decimals, signed", scaled(1.0, 0), {0xFFFF}, "-1"},
        {"scaled rounds like the formatter", scaled(0.1, 1), {25}, "2.5"},
        {"unsigned of FF38",
         [](ModbusHelper& m, ui::Dialog& p) { m.ShowUnsigned(p, kEdit, 0, true); },
         {0xFF38},
         "65336"},
        {"integer of FF38",
         [](ModbusHelper& m, ui::Dialog& p) { m.ShowInteger(p, kEdit, 0, true); },
         {0xFF38},
         "65336"},
        {"unsigned of FFFF is not -1",
         [](ModbusHelper& m, ui::Dialog& p) { m.ShowUnsigned(p, kEdit, 0, true); },
         {0xFFFF},
         "65535"},
        {"unsigned32 of 0001 0000",
         [](ModbusHelper& m, ui::Dialog& p) { m.ShowUnsigned32(p, kEdit, 0, true); },
         {1, 0},
         "65536"},
        {"unsigned32 of 0003 0D40",
         [](ModbusHelper& m, ui::Dialog& p) { m.ShowUnsigned32(p, kEdit, 0, true); },
         {3, 0x0D40},
         "200000"},
        {"float of 41BC 0000",
         [](ModbusHelper& m, ui::Dialog& p) { m.ShowFloat(p, kEdit, 0, true); },
         {0x41BC, 0},
         "23.500000"},
        {"status normal", status(1, 2), {1}, "Normal"},
        {"status warning", status(1, 2), {2}, "Warning"},
        {"status other", status(1, 2), {0}, "err"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Registers(0, c.words);
        page.SetItemText(kEdit, "old");
        c.show(helper, page);
        EXPECT_EQ(Text(), c.shown);
        EXPECT_TRUE(host.messages.empty());
    }
}

struct FailCase {
    const char* op;
    std::function<void(ModbusHelper&, ui::Dialog&, bool)> show;
    const char* noReply;
    const char* badCheck;
    bool clears;
};

TEST_F(Bound, ShowFailureMessagesAndClearing) {
    const std::vector<FailCase> cases = {
        {"ShowInteger", [](ModbusHelper& m, ui::Dialog& p, bool e) { m.ShowInteger(p, kEdit, 0, e); },
         "Read format Error!", "Check Value Error!", false},
        {"ShowStatus", [](ModbusHelper& m, ui::Dialog& p, bool e) { m.ShowStatus(p, kEdit, 0, 1, 2, e); },
         "Read format Error!", "Check Value Error!", true},
        {"ShowUnsigned", [](ModbusHelper& m, ui::Dialog& p, bool e) { m.ShowUnsigned(p, kEdit, 0, e); },
         "Read format error!", "Check value error!", true},
        {"ShowScaled", [](ModbusHelper& m, ui::Dialog& p, bool e) { m.ShowScaled(p, kEdit, 0, 0.1, 1, e); },
         "Read format error!", "Check value error!", true},
        {"ShowUnsigned32", [](ModbusHelper& m, ui::Dialog& p, bool e) { m.ShowUnsigned32(p, kEdit, 0, e); },
         "Read format error!", "Check Value error!", true},
        {"ShowFloat", [](ModbusHelper& m, ui::Dialog& p, bool e) { m.ShowFloat(p, kEdit, 0, e); }, "Read format error!",
         "Check Value Error!", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        struct Step {
            std::function<void()> arrange;
            const char* text;
        };
        const std::vector<Step> steps = {
            {[&] { s.link.portOpen = false; }, "Serial port not open!"},
            {[&] {
                 s.link.portOpen = true;
                 sim::Fault f;
                 f.kind = sim::Fault::Kind::Exception;
                 f.count = 1;
                 s.sim.device().SetFault(f);
             },
             c.noReply},
            {[&] {
                 sim::Fault f;
                 f.kind = sim::Fault::Kind::BadCrc;
                 f.count = 1;
                 s.sim.device().SetFault(f);
             },
             c.badCheck},
        };
        for (const auto& step : steps) {
            step.arrange();
            page.SetItemText(kEdit, "old");
            host.clear();
            c.show(helper, page, true);
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.last()->request.text, step.text);
            EXPECT_EQ(host.last()->request.caption, "Warning");
            EXPECT_EQ(host.last()->request.icon, ui::Icon::Warning);
            EXPECT_EQ(Text(), c.clears ? "" : "old");
        }
        // Messages off: the box is emptied (but for ShowInteger), nothing shown.
        s.link.portOpen = false;
        page.SetItemText(kEdit, "old");
        host.clear();
        c.show(helper, page, false);
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(Text(), c.clears ? "" : "old");
        s.link.portOpen = true;
    }
}

struct WriteCase {
    const char* typed;
    std::function<void(ModbusHelper&, ui::Dialog&)> write;
    Bytes data;  // data bytes of the request on the wire
};

TEST_F(Bound, TypedNumbersBecomeTheseBytes) {
    auto scaled = [](int32_t mult) {
        return [=](ModbusHelper& m, ui::Dialog& p) { m.WriteScaled(p, kEdit, 0x30, mult); };
    };
    auto scaled32 = [](int32_t mult) {
        return [=](ModbusHelper& m, ui::Dialog& p) { m.WriteScaled32(p, kEdit, 0x30, mult); };
    };
    auto integer = [](ModbusHelper& m, ui::Dialog& p) { m.WriteFromEdit(p, kEdit, 0x30); };
    auto single = [](ModbusHelper& m, ui::Dialog& p) { m.WriteFloatFromEdit(p, kEdit, 0x30); };
    const std::vector<WriteCase> cases = {
        {"-5.25", scaled(10), {0xFF, 0xCC}},
        {"25.56", scaled(10), {0x00, 0xFF}},  // cut, not rounded: 255
        {"0.29", scaled(100), {0x00, 0x1D}},  // 29, not the 28 of 0.29 x 100 in binary
        {"2.3", scaled(100), {0x00, 0xE6}},   // 230
        {"1.15", scaled(100), {0x00, 0x73}},  // 115
        {"-1.5", scaled(10), {0xFF, 0xF1}},
        {"0", scaled(10), {0x00, 0x00}},
        {"  12.5  ", scaled(10), {0x00, 0x7D}},  // blanks around the number
        {"1e2", scaled(10), {0x03, 0xE8}},
        {"0000000000000000001234", scaled(1), {0x00, 0x01}},  // only the first 19 characters count: ...001
        {"6553.5", scaled(10), {0xFF, 0xFF}},                 // either reading of the word: 65535 ...
        {"-3276.8", scaled(10), {0x80, 0x00}},                // ... or -32768
        {"-2", scaled32(1), {0xFF, 0xFF, 0xFF, 0xFE}},
        {"70000.5", scaled32(10), {0x00, 0x0A, 0xAE, 0x65}},
        {"4294967295", scaled32(1), {0xFF, 0xFF, 0xFF, 0xFF}},
        {"65535", integer, {0xFF, 0xFF}},
        {" 7 ", integer, {0x00, 0x07}},
        {"0", integer, {0x00, 0x00}},
        {"23.5", single, {0x41, 0xBC, 0x00, 0x00}},
        // What readfloat prints for the largest, smallest normal and smallest denormal single.
        {"3.4028235e+38", single, {0x7F, 0x7F, 0xFF, 0xFF}},
        {"-3.4028235e+38", single, {0xFF, 0x7F, 0xFF, 0xFF}},
        {"1.1754944e-38", single, {0x00, 0x80, 0x00, 0x00}},
        {"1e-45", single, {0x00, 0x00, 0x00, 0x01}},
        {"-0", single, {0x80, 0x00, 0x00, 0x00}},
        {"7.038531e-26", single, {0x15, 0xAE, 0x43, 0xFD}},  // one bit off if read through a double
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        page.SetItemText(kEdit, c.typed);
        host.clear();
        s.sim.TakeRequests();
        c.write(helper, page);
        const auto heard = s.sim.TakeRequests();
        ASSERT_EQ(heard.size(), 1u);
        const Bytes& f = heard[0];
        const Bytes data = f[1] == 0x06 ? Bytes(f.begin() + 4, f.begin() + 6) : Bytes(f.begin() + 7, f.begin() + 11);
        EXPECT_EQ(data, c.data);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.last()->request.text, "Write Successfully");
        EXPECT_EQ(host.last()->request.caption, "");
        EXPECT_EQ(Text(), c.typed) << "the box is left as typed";
    }
}

TEST_F(Bound, SetUpMessages) {
    page.SetItemText(kEdit, "1");
    struct Case {
        std::function<void()> arrange;
        const char* text;
    };
    const std::vector<Case> cases = {
        {[&] { s.link.portOpen = false; }, "Serial port not open!"},
        {[&] {
             s.link.portOpen = true;
             sim::Fault f;
             f.kind = sim::Fault::Kind::Silent;
             f.count = 1;
             s.sim.device().SetFault(f);
         },
         "Return value error or device not responding!"},
        {[&] {
             sim::Fault f;
             f.kind = sim::Fault::Kind::EchoMismatch;
             f.count = 1;
             s.sim.device().SetFault(f);
         },
         "Receiving and sending data are inconsistent!"},
    };
    for (const auto& c : cases) {
        c.arrange();
        host.clear();
        helper.WriteScaled(page, kEdit, 1, 10);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.last()->request.text, c.text);
        EXPECT_EQ(host.last()->request.caption, "Warning");
    }
}

TEST_F(Bound, RefusedTextIsSaidAndNothingIsSent) {
    const std::string noNumber = TypedErrorText(TypedError::NoNumber);
    const std::string comma = TypedErrorText(TypedError::CommaDecimal);
    const std::string whole = TypedErrorText(TypedError::NotWhole);
    const std::string trailing = TypedErrorText(TypedError::TrailingText);
    const std::string word = "Number out of range (-32768 to 65535), nothing was written!";
    const std::string tenths = "Number out of range (-3276.8 to 6553.5), nothing was written!";
    const std::string pair = "Number out of range (-2147483648 to 4294967295), nothing was written!";
    const std::string unsigned16 = "Number out of range (0 to 65535), nothing was written!";
    const std::string single_ = "Number out of range (-3.4028235e+38 to 3.4028235e+38), nothing was written!";
    auto scaled = [&] { helper.WriteScaled(page, kEdit, 1, 10); };
    auto scaled32 = [&] { helper.WriteScaled32(page, kEdit, 1, 1); };
    auto integer = [&] { helper.WriteFromEdit(page, kEdit, 1); };
    auto single = [&] { helper.WriteFloatFromEdit(page, kEdit, 1); };
    struct Case {
        std::string typed;
        std::function<void()> write;
        const std::string& message;
    };
    const std::vector<Case> cases = {
        {"", scaled, noNumber},  // a threshold silently zeroed, before
        {"   ", scaled32, noNumber},
        {"hot", integer, noNumber},
        {"-5", integer, whole},  // 0, before: a limit the operator never typed
        {"25.5", integer, whole},
        {"12a", integer, whole},
        {"35,5", integer, comma},
        {"-inf", single, noNumber},
        {"35,5", scaled, comma},          // 35, before
        {"  12.5abc", scaled, trailing},  // 12.5, before: reading stopped at the first misfit
        {"0x10", scaled, trailing},       // 0, before
        {"1e", scaled, trailing},
        {"35,", scaled, trailing},
        {"23.5 C", single, trailing},
        {std::string("40\0"
                     "0",
                     4),
         scaled, trailing},  // a NUL from a file
        {"1e300", scaled, tenths},
        {"6553.6", scaled, tenths},  // 65536: its low 16 bits, 0, before
        {"-3276.9", scaled, tenths},
        {"4294967296", scaled32, pair},
        {"-1e19", scaled32, pair},
        {"65537", integer, unsigned16},  // 1, before
        {"1e39", single, single_},
        {"3.4028236e38", single, single_},  // rounds to an infinity
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        page.SetItemText(kEdit, c.typed);
        host.clear();
        s.sim.TakeRequests();
        c.write();
        EXPECT_TRUE(s.sim.TakeRequests().empty());
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.last()->request.text, c.message);
        EXPECT_EQ(host.last()->request.caption, "Warning");
        EXPECT_EQ(host.last()->request.icon, ui::Icon::Warning);
    }
}

TEST(Conversion, IndependentOfTheUsersLocale) {
    const char* locales[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"};
    int tried = 0;
    for (const char* l : locales) {
        if (!std::setlocale(LC_ALL, l)) continue;
        ++tried;
        SCOPED_TRACE(l);
        char buf[16];
        std::snprintf(buf, sizeof buf, "%.1f", 2.5);
        ASSERT_STREQ(buf, "2,5") << "the locale writes a decimal comma";
        int64_t scaled = 0;
        EXPECT_EQ(ScaleTyped("-5.25", 100, &scaled), TypedError::None);
        EXPECT_EQ(scaled, -525);
        EXPECT_EQ(ScaleTyped("2,5", 10, &scaled), TypedError::CommaDecimal) << "not the locale's comma";
        float f = 0;
        EXPECT_EQ(ParseTypedSingle("23.5", &f), TypedError::None);
        EXPECT_EQ(f, 23.5f);
        EXPECT_EQ(pages::FormatRead(pages::kTenths, 0xFF38), "-20.0");
        EXPECT_EQ(pages::FormatRead(pages::kFloat, 0x41BC0000), "23.500000");
    }
    std::setlocale(LC_ALL, "C");
    if (tried == 0) GTEST_SKIP() << "no locale with a decimal comma is installed (scripts/install-deps builds one)";
}

}  // namespace
}  // namespace veltrano
