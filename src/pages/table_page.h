#pragma once
// Most pages are a table of rows: a value box with its label and unit, the
// register behind it, how it is read (Inquire) and written (Set up). A
// TablePage builds its controls, handlers, "Real Time" rule and real-time
// read set from such a table; page classes add code only for what a table
// cannot say.
//
// The shapes several pages share are part of the table:
//  - a "Sensor Type" list whose reduced entries ("CO", "NH3 0-50ppm") blank,
//    disable and stop polling the rows that follow it (TypeList, Row::follows);
//  - rows whose conversion depends on the entry selected in that list, chosen
//    afresh at every click and poll (Row::variants);
//  - rows whose value is a drop-down list of the device's codes (ListSpec);
//  - rows built without the visible style (Row::hidden);
//  - command buttons that write a fixed value (Write::Value, no value box);
//  - pages with their own message wording (ReadTexts, WriteTexts);
//  - a real-time refresh made of one block read of consecutive registers
//    (BlockRead), instead of one read per row.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "modbus/typed_number.h"
#include "pages/device_page.h"
#include "ui/dialog.h"

namespace veltrano::pages {

// --- reading ---

enum class Read : uint8_t {
    None,
    Integer,     // ShowInteger: 0..65535, the old text kept on failure
    Status,      // ShowStatus: the normal word, the warning word, or the other word
    Unsigned,    // ShowUnsigned: 0..65535
    Scaled,      // ShowScaled: the 16-bit value (signed unless fromUnsigned) x scale
    Unsigned32,  // ShowUnsigned32: two registers, first the high half
    Float,       // ShowFloat: two registers as an IEEE-754 single
    Widened,     // the 16 bits sign-extended to 32 and shown unsigned (0xFFFF: 4294967295)
    Version,     // "%d.%d" of the high and the low byte
    List,        // selects the entry of the row's list that the value names (ListSpec)
};

struct StatusWords {
    const char* normal = "Normal";
    const char* warning = "Warning";
    const char* other = "err";
};

struct ReadOp {
    Read kind = Read::None;
    double scale = 1.0;
    // Scaled: "%.1f" for 1, "%.2f" for 2, "%.0f" otherwise (3 decimals only on
    // rows with their own read, which format it themselves). Float: 0 means "%f".
    uint8_t decimals = 0;
    uint16_t normal = 0;   // Status: the code shown as the normal word
    uint16_t warning = 0;  // Status: the code shown as the warning word
    const StatusWords* words = nullptr;  // Status: nullptr for Normal / Warning / err
    bool single = false;        // Scaled: the factor is applied in single precision
    bool fromUnsigned = false;  // Scaled: the register taken as 0..65535
};

inline constexpr ReadOp kTenths{Read::Scaled, 0.1, 1};
inline constexpr ReadOp kHundredths{Read::Scaled, 0.01, 2};
inline constexpr ReadOp kSigned{Read::Scaled, 1.0, 0};
inline constexpr ReadOp kUnsigned{Read::Unsigned};
inline constexpr ReadOp kUnsigned32{Read::Unsigned32};
inline constexpr ReadOp kInteger{Read::Integer};
inline constexpr ReadOp kFloat{Read::Float};
inline constexpr ReadOp kWidened{Read::Widened};
inline constexpr ReadOp kListRead{Read::List};
constexpr ReadOp Status(uint16_t normal, uint16_t warning, const StatusWords* words = nullptr) {
    return {Read::Status, 1.0, 0, normal, warning, words};
}
constexpr ReadOp Scaled(double scale, uint8_t decimals) { return {Read::Scaled, scale, decimals}; }
// The same in single precision, as pages that format their own reads compute it.
constexpr ReadOp ScaledSingle(double scale, uint8_t decimals) {
    return {Read::Scaled, scale, decimals, 0, 0, nullptr, true};
}
// The register taken as 0..65535, in single precision (block reads).
constexpr ReadOp UnsignedScaledSingle(double scale, uint8_t decimals) {
    return {Read::Scaled, scale, decimals, 0, 0, nullptr, true, true};
}

// --- writing ---

enum class Write : uint8_t {
    None,
    FromEdit,  // WriteFromEdit: the typed unsigned integer, low 16 bits
    Scaled,    // WriteScaled: typed number x multiplier, low 16 bits
    Scaled32,  // WriteScaled32: typed number x multiplier, low 32 bits, two registers
    Float,     // WriteFloatFromEdit: the typed number as a single, two registers
    Tagged,    // WriteRegisterPair(reg, tag, low 16 bits of typed number x multiplier)
    List,      // the code of the selected entry of the row's list (ListSpec)
    Value,     // the fixed value `tag`: a command button
};

// A test made before anything is sent.
enum class Check : uint8_t {
    None,
    ZeroOrOne,      // the box read as an unsigned integer must be 0 or 1 in its low 8 bits: "Illegal input!"
    NotZeroNumber,  // the typed number must not be 0 (nor absent): "Input content cannot be empty"
    NotZeroWord,    // number x multiplier must not be 0 (a standard of 0 calibrates nothing): the same text
};

struct WriteOp {
    Write kind = Write::None;
    int32_t multiplier = 1;
    uint16_t tag = 0;
    Check check = Check::None;
};

inline constexpr WriteOp kWriteTenths{Write::Scaled, 10};
inline constexpr WriteOp kWriteHundredths{Write::Scaled, 100};
inline constexpr WriteOp kWriteInteger{Write::FromEdit};
inline constexpr WriteOp kWriteFloat{Write::Float};
inline constexpr WriteOp kWriteList{Write::List};
constexpr WriteOp WriteScaled(int32_t multiplier) { return {Write::Scaled, multiplier}; }
constexpr WriteOp WriteValue(uint16_t value) { return {Write::Value, 1, value}; }

inline constexpr const char* kIllegalInputText = "Illegal input!";
inline constexpr const char* kEmptyInputText = "Input content cannot be empty";
// A list row's Set up with no entry of its list chosen.
inline constexpr const char* kChooseEntryText = "Choose an entry first";

// What the register behind a row's write holds, as the row reads it back: a
// signed word where the read is signed, two words unsigned for Scaled32, an
// unsigned word otherwise (write-only rows included).
RegisterRange WriteRange(const ReadOp& read, const WriteOp& write);

// --- message sets of pages that word their own messages ---

struct ReadTexts {
    const char* portClosed;  // result 1
    const char* noReply;     // result 2
    const char* badCheck;    // result 3
    const char* caption = "Warning";
};

struct WriteTexts {
    const char* ok;
    const char* portClosed;
    const char* noReply;
    const char* badCheck;
    ui::Icon okIcon = ui::Icon::Information;
    const char* caption = "Warning";
};

// The wording most pages with their own reads and writes share.
inline constexpr ReadTexts kPageReadTexts{"Serial port not opened", "Reading format error",
                                          "Device check value error"};
inline constexpr WriteTexts kPageWriteTexts{"Write Success", "Serial port not opened",
                                            "The return value is incorrect or the device is not responding",
                                            "The received data is inconsistent with the transmitted data"};

// --- lists ---

// A row whose value is a drop-down list: the template's entries and the
// register value each stands for.
struct ListSpec {
    std::span<const char* const> items;
    // The code of each entry; empty: the entry's index plus `offset`.
    std::span<const uint16_t> codes;
    int16_t offset = 0;
    // With codes: what is written for an entry past the codes.
    uint16_t otherCode = 0;
    // A value that names no entry leaves the selection as it was (else clears it).
    bool unknownKeeps = false;
};

// The "Sensor Type" list of a page, and what its reduced entries do to the
// rows that follow it (Row::follows).
struct TypeList {
    int id = 0;
    const char* label = "Sensor Type";
    bool sorted = false;
    bool editable = false;
    // The template's entries and the one selected when the page is built;
    // empty: the category container fills the list.
    std::span<const char* const> items;
    int initial = -1;
    // Entries that select the device without the following rows.
    std::span<const char* const> reduced;
    // The other way round: reduced when the selected text is none of `reduced`.
    bool reducedUnlessListed = false;
    bool blanks = true;         // a reduced selection puts " " in the following boxes
    bool disablesEdits = true;  // ... and disables the boxes, not only their buttons
};

// A conversion chosen by the selected entry of the page's type list.
struct Variant {
    std::span<const char* const> items;
    ReadOp read;
    WriteOp write;
};

// --- rows ---

struct Row {
    int edit = 0;  // the value box (a drop-down list when `list` is set); 0: a command row
    const char* label = "";
    const char* unit = "";  // "" when the template has no unit label
    uint16_t reg = 0;
    ReadOp read;
    int inquire = 0;  // 0: no Inquire button; rows sharing one are read by it in table order
    WriteOp write;
    int setup = 0;    // 0: no Set up button
    bool hidden = false;    // in the template without the visible style
    bool disabled = false;  // in the template with the disabled style (until "Real Time" toggles it)
    const ListSpec* list = nullptr;
    std::span<const Variant> variants;
    bool follows = false;    // follows the page's type list
    bool quiet = false;      // its Inquire reads with messages off
    bool portCheck = false;  // its Inquire is refused while the port is closed
    // Own messages; nullptr: the page's, and without those the field bindings'.
    const ReadTexts* readTexts = nullptr;
    const WriteTexts* writeTexts = nullptr;
    const char* inquireText = "Inquire";  // button captions as the template spells them
    const char* setupText = "Set up";
    // It drives an output (a relay) or starts an action (a calibration
    // against a standard, a zero, a tare, a clearing, any command button)
    // rather than holding a setting: a settings file records its value for
    // reference and never writes it back to a device.
    bool action = false;
    bool readOnly = false;  // its box shows the value and takes no typing
};

// --- block reads ---

struct BlockField {
    int edit = 0;
    uint8_t word = 0;  // register offset from the block's start (Unsigned32: the high word)
    ReadOp show;       // Unsigned, Scaled, Unsigned32, Status or Widened
};

// One function 03 request for `count` registers from `start`, its own wait
// (up to 50 polls `pollMs` apart), and boxes filled by position. Any failure
// empties every box of the block silently.
struct BlockRead {
    uint16_t start = 0;
    uint8_t count = 1;
    int pollMs = 10;
    std::span<const BlockField> fields;
};

// Judges a reply of `n` bytes to a block read of `count` registers (at most
// 125) at `address` by the single read's check: more than 3 bytes, the
// address, function 03, the CRC, and every word the block claims (a shorter
// reply would fill boxes with bytes that were never received). Fills
// words[0..count) when it is accepted.
ReplyVerdict JudgeBlockReply(const uint8_t* reply, uint16_t n, uint8_t address, uint8_t count, uint16_t* words);
bool ParseBlockReply(const uint8_t* reply, uint16_t n, uint8_t address, uint8_t count, uint16_t* words);

// What a block read shows for a reply of `n` bytes: one text per field, in
// field order, all empty when the reply is refused. True when accepted;
// `verdict`, when given, says why not.
bool BlockReplyTexts(const BlockRead& block, const uint8_t* reply, uint16_t n, uint8_t address,
                     std::vector<std::string>* texts, ReplyVerdict* verdict = nullptr);

// The text a read shows for the raw register value (one register, or two
// with the first as the high half).
std::string FormatRead(const ReadOp& op, uint32_t raw);
// How a read or a write converts, in words ("signed, x0.1", "single, 2 registers").
std::string DescribeRead(const ReadOp& op);
std::string DescribeWrite(const WriteOp& op);

// --- the page ---

struct PageTable {
    int templateId = 0;
    const char* className = "";
    std::span<const Row> rows;
    int realTimeBox = 0;
    const char* realTimeLabel = "Real Time";
    // Text shown when "Real Time" is clicked with the port closed; nullptr:
    // the page does not test the port.
    const char* refusal = kOpenPortFirst;
    bool stopsAfterRefusal = false;  // a refused click changes nothing else
    bool locks = true;               // false: the box only toggles
    // Locked while "Real Time" is checked; empty: every Inquire and Set up button.
    std::span<const int> governed;
    // Locked with them only while the type list's selection is not reduced.
    std::span<const int> governedFull;
    std::span<const int> readSet;  // edit ids, in the order the poller reads them
    const BlockRead* block = nullptr;  // the real-time read, instead of readSet
    const TypeList* typeList = nullptr;
    const ReadTexts* readTexts = nullptr;
    const WriteTexts* writeTexts = nullptr;
    const char* noticeTitle = nullptr;
    const char* noticeText = nullptr;
};

class TablePage : public DevicePage {
public:
    TablePage(Link& link, const PageTable& table);

    const PageTable& table() const { return table_; }
    const Row* RowOfEdit(int edit) const;
    const Row* RowOfButton(int button) const;

    void RunRealTimeReadSet() override;
    std::vector<RowInfo> Rows() const override;
    std::vector<RowInfo> Commands() const override;
    std::string Describe(int controlId) const override;
    void ClearReadValues() override;

    // One row's read or write, as its buttons do.
    void Inquire(const Row& row, bool showErrors);
    void SetUp(const Row& row);
    // Every row of one Inquire button, in table order.
    void InquireButton(int button);
    // The block read of the real-time refresh; true when the reply was taken.
    bool RunBlockRead();

    // The selected entry of the type list is a reduced one.
    bool TypeReduced() const;
    // The conversion in force for the row now.
    const ReadOp& ReadOf(const Row& row) const;
    const WriteOp& WriteOf(const Row& row) const;

    // Control ids given to the labels, units and notice texts.
    static constexpr int kLabelIdBase = 30000;
    static int LabelId(size_t row) { return kLabelIdBase + static_cast<int>(row) * 2; }
    static int UnitId(size_t row) { return kLabelIdBase + static_cast<int>(row) * 2 + 1; }
    static constexpr int kNoticeGroupId = 31000;
    static constexpr int kNoticeTextId = 31001;
    static constexpr int kTypeLabelId = 31002;

protected:
    std::vector<int> GovernedNow() const override;
    void OnTypeChange();
    // The message of a failed read in a page's own wording.
    void ShowReadFailure(const ReadTexts& texts, ResultCode result);

private:
    bool OwnRead(const Row& row) const;
    void ReadOwn(const Row& row, const ReadOp& op, bool showErrors);
    void WriteOwn(const Row& row, const WriteOp& op);
    bool Checked(const Row& row, const WriteOp& op);
    const ReadTexts& ReadTextsOf(const Row& row, const ReadOp& op) const;
    const WriteTexts& WriteTextsOf(const Row& row) const;

    PageTable table_;
    std::vector<int> governedAll_;
};

}  // namespace veltrano::pages
