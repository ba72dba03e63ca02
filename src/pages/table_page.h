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

#include "pages/conversions.h"
#include "pages/device_page.h"
#include "pages/message_sets.h"
#include "ui/dialog.h"

namespace veltrano::pages {

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
    // The entries the category container puts in the list once its pages
    // are built, and the one it then selects (without a notification).
    std::span<const char* const> entries;
    int selected = -1;
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
    int setup = 0;          // 0: no Set up button
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
    // Read by the real-time tick: its place in the tick's order (rows of the
    // same place in table order); 0: not polled.
    int poll = 0;
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
    const BlockRead* block = nullptr;  // the real-time read, instead of the polled rows
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
    // The polled rows' boxes, in the order the real-time tick reads them.
    std::span<const int> ReadSet() const { return readSet_; }

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
    void WriteOwn(const Row& row, const WriteOp& op);
    bool Checked(const Row& row, const WriteOp& op);
    const ReadTexts& ReadTextsOf(const Row& row, const ReadOp& op) const;
    const WriteTexts& WriteTextsOf(const Row& row) const;

    PageTable table_;
    std::vector<int> governedAll_;
    std::vector<int> readSet_;
};

}  // namespace veltrano::pages
