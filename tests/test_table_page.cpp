// The page table vocabulary on a made-up page against a simulated device:
// the type list and what its entries do, conversions chosen by the entry,
// shared Inquire buttons, own message sets, pre-write checks, list rows,
// command rows, the block read and the "Real Time" rules.
#include <gtest/gtest.h>

#include "pages/table_page.h"
#include "support/sim_link.h"
#include "ui/recording_host.h"

namespace veltrano {
namespace {

using namespace pages;
using test::DeviceAt;
using test::SimLink;
using test::WithCrc;
using Bytes = std::vector<uint8_t>;

constexpr const char* kTypes[] = {"GAS", "GAS&Tem&Hum"};
constexpr const char* kGasOnly[] = {"GAS"};
constexpr TypeList kTypeList{.id = 500, .items = kTypes, .initial = 1, .reduced = kGasOnly};

constexpr const char* kFine[] = {"GAS"};
constexpr Variant kFineRange[] = {{kFine, kHundredths, kWriteHundredths}};

constexpr ReadTexts kOwnRead{"Serial port not opened", "Reading format error", "Device check value error"};
constexpr WriteTexts kOwnWrite{"Write Success", "Serial port not opened", "no answer", "mismatch"};

constexpr const char* kModes[] = {"Zero", "One", "Two"};
constexpr ListSpec kModeList{.items = kModes};
constexpr ListSpec kAnalogList{.items = kModes, .offset = 1};
constexpr const char* kMounts[] = {"Horizontal", "Vertical"};
constexpr uint16_t kMountCodes[] = {101, 102};
constexpr ListSpec kMountList{.items = kMounts, .codes = kMountCodes, .otherCode = 102, .unknownKeeps = true};

constexpr Row kRows[] = {
    {.edit = 601, .label = "Tem", .reg = 1, .read = kTenths, .inquire = 701, .follows = true, .poll = 1},
    {.edit = 602, .label = "Hum", .reg = 0, .read = kTenths, .inquire = 702, .follows = true, .poll = 1},
    {.edit = 603, .label = "Gas", .reg = 2, .read = kUnsigned, .inquire = 703, .write = kWriteInteger, .setup = 803,
     .variants = kFineRange, .poll = 1},
    {.edit = 604, .label = "Gas mg", .reg = 2, .read = Scaled(0.0205, 2), .inquire = 703},  // second read of 703
    {.edit = 605, .label = "Quiet", .reg = 9, .read = kUnsigned, .inquire = 705, .quiet = true},
    {.edit = 606, .label = "Coef", .reg = 34, .read = kUnsigned, .inquire = 706, .portCheck = true},
    {.edit = 607, .label = "Flag", .reg = 52, .read = kUnsigned, .inquire = 707,
     .write = {Write::FromEdit, 1, 0, Check::ZeroOrOne}, .setup = 807, .hidden = true},
    {.edit = 608, .label = "Weight", .reg = 0, .read = kWidened, .inquire = 708, .readTexts = &kOwnRead},
    {.edit = 609, .label = "Mode", .reg = 100, .read = kListRead, .inquire = 709, .write = kWriteList, .setup = 809,
     .list = &kModeList, .readTexts = &kOwnRead, .writeTexts = &kOwnWrite},
    {.edit = 610, .label = "Analog", .reg = 117, .read = kListRead, .inquire = 710, .write = kWriteList, .setup = 810,
     .list = &kAnalogList, .writeTexts = &kOwnWrite},
    {.edit = 611, .label = "Mount", .reg = 82, .read = kListRead, .inquire = 711, .write = kWriteList, .setup = 811,
     .list = &kMountList, .writeTexts = &kOwnWrite},
    {.edit = 612, .label = "Point", .reg = 288, .write = {Write::Tagged, 100, 1, Check::NotZeroWord}, .setup = 812,
     .writeTexts = &kOwnWrite},
    {.label = "Clearing", .reg = 80, .write = WriteValue(1), .setup = 813, .writeTexts = &kOwnWrite},
    {.edit = 614, .label = "Version", .reg = 10, .read = {Read::Version}, .inquire = 714, .quiet = true},
};
constexpr int kGoverned[] = {703, 500};
constexpr int kGovernedFull[] = {701, 702};

constexpr PageTable kTable{
    .templateId = 900,
    .className = "VocabularyPage",
    .rows = kRows,
    .realTimeBox = 999,
    .governed = kGoverned,
    .governedFull = kGovernedFull,
    .typeList = &kTypeList,
};

struct Vocabulary : ::testing::Test {
    Vocabulary() : s(DeviceAt(1, 9600)), page(s.link, kTable) { page.SetHost(&host); }
    void SetUp() override { ASSERT_TRUE(s.Open(9600, 1)); }
    void Set(uint16_t reg, std::vector<uint16_t> words) {
        for (uint16_t w : words) s.sim.device().SetRegister(reg++, w);
    }
    std::vector<Bytes> Heard() { return s.sim.TakeRequests(); }
    std::string Text(int id) { return page.GetItemText(id); }
    void Select(const char* entry) {
        const auto& items = page.control(kTypeList.id).items;
        page.SelectCombo(kTypeList.id, static_cast<int>(std::find(items.begin(), items.end(), entry) - items.begin()));
    }
    void Fault(sim::Fault::Kind kind, int count = 1) {
        sim::Fault f;
        f.kind = kind;
        f.count = count;
        s.sim.device().SetFault(f);
    }
    SimLink s;
    TablePage page;
    ui::RecordingHost host;
};

TEST_F(Vocabulary, ReducedTypeBlanksDisablesAndSkipsTheFollowingRows) {
    EXPECT_EQ(page.GetSelectedText(500), "GAS&Tem&Hum") << "template entry selected at creation";
    page.SetItemText(601, "23.0");
    Select("GAS");
    for (int id : {601, 602}) {
        EXPECT_EQ(Text(id), " ") << id;
        EXPECT_FALSE(page.IsEnabled(id)) << id;
    }
    EXPECT_FALSE(page.IsEnabled(701));
    EXPECT_FALSE(page.IsEnabled(702));
    EXPECT_TRUE(page.IsEnabled(703)) << "the gas row never follows";

    Set(0, {455, 231, 1234});
    page.Click(999);
    Heard();
    page.RunRealTimeReadSet();
    auto heard = Heard();
    ASSERT_EQ(heard.size(), 1u) << "only the gas register";
    EXPECT_EQ(heard[0], WithCrc({1, 3, 0, 2, 0, 1}));
    EXPECT_EQ(Text(603), "12.34") << "the reduced entry also picks the fine range";

    page.Click(999);
    Select("GAS&Tem&Hum");
    EXPECT_TRUE(page.IsEnabled(601));
    EXPECT_TRUE(page.IsEnabled(701));
    EXPECT_EQ(Text(601), " ") << "re-enabled, not re-read";
    page.Click(999);
    page.RunRealTimeReadSet();
    heard = Heard();
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0][3], 1);
    EXPECT_EQ(heard[1][3], 0);
    EXPECT_EQ(Text(603), "1234");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Vocabulary, GovernedSetFollowsTheType) {
    page.Click(999);
    for (int id : {703, 500, 701, 702}) EXPECT_FALSE(page.IsEnabled(id)) << id;
    EXPECT_TRUE(page.IsEnabled(809)) << "not governed";
    page.Click(999);
    Select("GAS");
    page.Click(999);
    page.Click(999);
    EXPECT_TRUE(page.IsEnabled(703));
    EXPECT_FALSE(page.IsEnabled(701)) << "the reduced type keeps them off";
}

TEST_F(Vocabulary, SharedButtonReadsEveryRowAndEachReportsItsOwnFailure) {
    Set(2, {1000});
    page.Click(703);
    EXPECT_EQ(Text(603), "1000");
    EXPECT_EQ(Text(604), "20.50");
    EXPECT_EQ(Heard().size(), 2u) << "two transactions";
    Fault(sim::Fault::Kind::Silent, -1);
    page.Click(703);
    EXPECT_EQ(host.messages.size(), 2u);
    host.clear();
    page.Click(705);
    EXPECT_TRUE(host.messages.empty()) << "a quiet Inquire only empties its box";
    EXPECT_EQ(Text(605), "");
    page.Click(714);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Vocabulary, PortCheckRefusesBeforeSending) {
    s.link.portOpen = false;
    Heard();
    page.Click(706);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.last()->request.text, "Please open the serial port first!");
    s.link.portOpen = true;
    page.Click(706);
    EXPECT_EQ(Heard().size(), 1u);
}

TEST_F(Vocabulary, FormatsBeyondTheBindings) {
    struct Case {
        ReadOp op;
        uint32_t raw;
        const char* shown;
    };
    static constexpr StatusWords kWater{"Water", "No Water", "err"};
    const Case cases[] = {
        {kWidened, 0xFFFF, "4294967295"},
        {kWidened, 0xFFFB, "4294967291"},
        {kWidened, 0x7FFF, "32767"},
        {{Read::Version}, 0x020A, "2.10"},
        {{Read::Version}, 0x0103, "1.3"},
        {{Read::Scaled, 0.1, 1, 0, 0, nullptr, false, true}, 0x8000, "3276.8"},
        {Scaled(0.1, 1), 0x8000, "-3276.8"},
        {ScaledSingle(0.0031830985, 2), 1000, "3.18"},
        {ScaledSingle(0.0031830985, 2), 0x8000, "-104.30"},
        {{Read::Scaled, 0.001, 3}, 1413, "1.413"},
        {Status(1, 0, &kWater), 1, "Water"},
        {Status(1, 0, &kWater), 0, "No Water"},
        {Status(1, 0, &kWater), 0x0100, "err"},
        {{Read::Float, 1, 2}, 0x3FC00000, "1.50"},
        {kFloat, 0x41040000, "8.250000"},
        {kUnsigned32, 0x000186A0, "100000"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatRead(c.op, c.raw), c.shown) << c.shown;
}

TEST_F(Vocabulary, OwnMessagesAndFormats) {
    Set(0, {0xFFFF});
    page.Click(708);
    EXPECT_EQ(Text(608), "4294967295");
    s.link.portOpen = false;
    page.Click(708);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.last()->request.text, "Serial port not opened");
    EXPECT_EQ(host.last()->request.caption, "Warning");
    s.link.portOpen = true;
    Fault(sim::Fault::Kind::BadCrc);
    page.Click(708);
    EXPECT_EQ(host.last()->request.text, "Device check value error");
    page.Click(813);
    EXPECT_EQ(Heard().back(), WithCrc({1, 6, 0, 80, 0, 1}));
    EXPECT_EQ(host.last()->request.text, "Write Success");
    EXPECT_EQ(host.last()->request.caption, "");
    EXPECT_EQ(host.last()->request.icon, ui::Icon::Information);
}

TEST_F(Vocabulary, ChecksSendNothingWhenTheyRefuse) {
    struct Case {
        int edit, button;
        const char* typed;
        const char* message;  // nullptr: written
    };
    const Case cases[] = {
        {607, 807, "2", "Illegal input!"},       {607, 807, "256", nullptr},  // low 8 bits: 0
        {607, 807, "1", nullptr},                {607, 807, "abc", "No number entered, nothing was written!"},
        {612, 812, "", "Input content cannot be empty"},
        {612, 812, "0", "Input content cannot be empty"},
        {612, 812, "0.009", "Input content cannot be empty"},  // cut to 0
        // Values the register cannot hold, as the row reads it back: written
        // as their low 16 bits they landed the device elsewhere.
        {612, 812, "655.36", "Number out of range (0 to 655.35), nothing was written!"},  // 0 on the wire
        {612, 812, "-1", "Number out of range (0 to 655.35), nothing was written!"},      // FF 9C
        {603, 803, "65537", "Number out of range (0 to 65535), nothing was written!"},    // 1
        {612, 812, "4.00", nullptr},
        {603, 803, "65535", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        page.TypeText(c.edit, c.typed);
        host.clear();
        Heard();
        page.Command(c.button);  // the hidden row's button cannot be clicked, only sent
        ASSERT_EQ(host.messages.size(), 1u);
        if (c.message) {
            EXPECT_EQ(host.last()->request.text, c.message);
            EXPECT_TRUE(Heard().empty());
        } else {
            EXPECT_EQ(Heard().size(), 1u);
        }
    }
    page.TypeText(612, "6.86");
    Heard();
    page.Click(812);
    EXPECT_EQ(Heard().back(), WithCrc({1, 0x10, 0x01, 0x20, 0, 2, 4, 0, 1, 0x02, 0xAE}));
}

TEST_F(Vocabulary, ListRowsReadAndWriteCodes) {
    struct ReadCase {
        int button, list;
        uint16_t reg, value;
        int before, after;
    };
    const ReadCase reads[] = {
        {709, 609, 100, 2, -1, 2},   {709, 609, 100, 3, 1, -1},  // past the list: no entry
        {710, 610, 117, 2, -1, 1},   {710, 610, 117, 0, 1, -1},  // offset 1
        {711, 611, 82, 102, -1, 1},  {711, 611, 82, 103, 0, 0},  // unknown code keeps the entry
    };
    for (const auto& c : reads) {
        SCOPED_TRACE(c.button);
        Set(c.reg, {c.value});
        page.SetCurSel(c.list, c.before);
        page.Click(c.button);
        EXPECT_EQ(page.GetCurSel(c.list), c.after);
    }
    EXPECT_TRUE(host.messages.empty());

    struct WriteCase {
        int button, list, selection;
        Bytes request;
    };
    // No entry chosen: FF FF, 0 or the fallback code went out before, for a
    // choice nobody made.
    const std::vector<WriteCase> writes = {
        {809, 609, 1, WithCrc({1, 6, 0, 100, 0, 1})},  {809, 609, -1, {}},
        {810, 610, 1, WithCrc({1, 6, 0, 117, 0, 2})},  {810, 610, -1, {}},
        {811, 611, 0, WithCrc({1, 6, 0, 82, 0, 101})}, {811, 611, -1, {}},
    };
    for (const auto& c : writes) {
        SCOPED_TRACE(c.button);
        page.SetCurSel(c.list, c.selection);
        Heard();
        page.Click(c.button);
        auto heard = Heard();
        if (c.request.empty()) {
            EXPECT_TRUE(heard.empty());
            EXPECT_EQ(host.last()->request.text, kChooseEntryText);
            continue;
        }
        ASSERT_EQ(heard.size(), 1u);
        EXPECT_EQ(heard[0], c.request);
        EXPECT_EQ(host.last()->request.text, "Write Success");
    }
}

TEST_F(Vocabulary, VariantsAreChosenAtEveryWrite) {
    page.TypeText(603, "25.5");
    Select("GAS");
    Heard();
    page.Click(803);
    EXPECT_EQ(Heard().back(), WithCrc({1, 6, 0, 2, 0x09, 0xF6}));  // 2550
    // The range follows the variant's read: signed hundredths.
    for (const char* typed : {"327.68", "-327.69"}) {
        page.TypeText(603, typed);
        host.clear();
        page.Click(803);
        EXPECT_EQ(host.last()->request.text, "Number out of range (-327.68 to 327.67), nothing was written!");
    }
    EXPECT_TRUE(Heard().empty());
    page.TypeText(603, "-327.68");
    page.Click(803);
    EXPECT_EQ(Heard().back(), WithCrc({1, 6, 0, 2, 0x80, 0x00}));
    Select("GAS&Tem&Hum");
    page.TypeText(603, "300");
    page.Click(803);
    EXPECT_EQ(Heard().back(), WithCrc({1, 6, 0, 2, 0x01, 0x2C}));
}

TEST_F(Vocabulary, HiddenRowsAreBuiltButNotListed) {
    EXPECT_FALSE(page.control(607).visible);
    EXPECT_FALSE(page.control(807).visible);
    for (const auto& r : page.Rows()) EXPECT_NE(r.edit, 607);
    EXPECT_EQ(page.EnterButton(603), 803);
}

// --- block reads ---

constexpr BlockField kFields[] = {
    {.edit = 601, .word = 3, .show = Scaled(0.1, 1)},
    {.edit = 602, .word = 4, .show = {Read::Scaled, 0.1, 1, 0, 0, nullptr, false, true}},
    {.edit = 603, .word = 5, .show = kUnsigned32},
    {.edit = 604, .word = 0, .show = kUnsigned},
};
constexpr BlockRead kBlock{.start = 0, .count = 7, .pollMs = 20, .fields = kFields};
constexpr PageTable kBlockTable{
    .templateId = 901,
    .className = "BlockPage",
    .rows = kRows,
    .realTimeBox = 999,
    .refusal = "Please open the serial port first",
    .stopsAfterRefusal = true,
    .block = &kBlock,
};

struct Block : Vocabulary {
    Block() : blockPage(s.link, kBlockTable) { blockPage.SetHost(&host); }
    void Reply(Bytes body) {
        sim::Fault f;
        f.kind = sim::Fault::Kind::Replace;
        f.count = 1;
        f.bytes = std::move(body);
        s.sim.device().SetFault(f);
    }
    void Fill(const char* text) {
        for (int id : {601, 602, 603, 604}) blockPage.SetItemText(id, text);
    }
    void ExpectAll(const char* text) {
        for (int id : {601, 602, 603, 604}) EXPECT_EQ(blockPage.GetItemText(id), text) << id;
    }
    TablePage blockPage;
};

TEST_F(Block, FillsBoxesByPosition) {
    Set(0, {0xFFFF, 0, 0, 0xFF9C, 0x8000, 0x0001, 0x86A0});
    Heard();
    EXPECT_TRUE(blockPage.RunBlockRead());
    EXPECT_EQ(Heard(), (std::vector<Bytes>{WithCrc({1, 3, 0, 0, 0, 7})}));
    EXPECT_EQ(blockPage.GetItemText(601), "-10.0");
    EXPECT_EQ(blockPage.GetItemText(602), "3276.8");
    EXPECT_EQ(blockPage.GetItemText(603), "100000");
    EXPECT_EQ(blockPage.GetItemText(604), "65535");
}

TEST_F(Block, EveryFailureBlanksEveryBoxSilently) {
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const std::vector<Case> cases = {
        {"no reply", [&] { Fault(sim::Fault::Kind::Silent); }},
        {"bad CRC", [&] { Fault(sim::Fault::Kind::BadCrc); }},
        {"wrong address", [&] { Fault(sim::Fault::Kind::WrongAddress); }},
        {"exception", [&] { Fault(sim::Fault::Kind::Exception); }},
        {"short but valid", [&] { Reply({1, 3, 14, 0, 1, 0, 2, 0, 3}); }},  // claims 7 words, carries 3
        {"port closed", [&] { s.link.portOpen = false; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        s.link.portOpen = true;
        c.arrange();
        Fill("old");
        EXPECT_FALSE(blockPage.RunBlockRead());
        ExpectAll("");
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Block, ParseBlockReplyAcceptsOnlyWholeReplies) {
    const Bytes good = WithCrc({1, 3, 4, 0x12, 0x34, 0xAB, 0xCD});
    struct Case {
        Bytes reply;
        uint8_t address, count;
        bool ok;
    };
    const std::vector<Case> cases = {
        {good, 1, 2, true},
        {good, 2, 2, false},
        {good, 1, 3, false},                              // claims more than it carries
        {WithCrc({1, 3, 9, 0x12, 0x34, 0xAB, 0xCD}), 1, 2, true},  // the byte count is not examined
        {WithCrc({1, 0x83, 2}), 1, 1, false},
        {Bytes{1, 3, 2}, 1, 1, false},
        {Bytes(good.begin(), good.end() - 1), 1, 2, false},
    };
    for (const auto& c : cases) {
        uint16_t words[3] = {0, 0, 0};
        EXPECT_EQ(ParseBlockReply(c.reply.data(), static_cast<uint16_t>(c.reply.size()), c.address, c.count, words),
                  c.ok);
        if (c.ok) {
            EXPECT_EQ(words[1], 0xABCD);
        }
    }
}

TEST_F(Block, RefusalThatStopsStillFreesWhatTheBoxLocked) {
    blockPage.Click(999);
    EXPECT_FALSE(blockPage.IsEnabled(703)) << "every row button governed by default";
    s.link.portOpen = false;
    blockPage.Click(999);  // unchecking with the port closed: refused, and the buttons free again
    EXPECT_FALSE(blockPage.RealTimeChecked());
    EXPECT_EQ(host.last()->request.text, "Please open the serial port first");
    EXPECT_TRUE(blockPage.IsEnabled(703)) << "every button stayed locked, before";
    blockPage.Enable(703, false);
    blockPage.Click(999);  // checking with the port closed: refused, and nothing else
    EXPECT_FALSE(blockPage.RealTimeChecked());
    EXPECT_FALSE(blockPage.IsEnabled(703));
}

}  // namespace
}  // namespace veltrano

namespace veltrano {
namespace {

TEST(TableDescribe, TooltipsComeFromTheTable) {
    Link link;
    pages::TablePage page(link, kTable);
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {601, "register 1, signed, x0.1"},
        {701, "register 1, signed, x0.1"},
        {603, "register 2, unsigned; Set up: whole number, function 06"},
        {803, "register 2, whole number, function 06"},
        {608, "register 0, sign-extended to 32 bits"},
        {612, "registers 288-289, 1 then number x100, function 16"},
        {813, "register 80, writes 1, function 06"},
        {999, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(page.Describe(c.id), c.text) << c.id;
    page.SelectCombo(500, 0);  // the reduced entry also picks the fine range
    EXPECT_EQ(page.Describe(603), "register 2, signed, x0.01; Set up: number x100, function 06");
}

}  // namespace
}  // namespace veltrano
