#pragma once
// Most pages are a table of rows: an edit box with its label and unit, the
// register behind it, how it is read (Inquire) and written (Set up). A
// TablePage builds its controls, handlers, "Real Time" rule and real-time
// read set from such a table; page classes add code only for what a table
// cannot say.

#include <cstdint>
#include <span>

#include "pages/device_page.h"

namespace veltrano::pages {

enum class Read : uint8_t { None, Integer, Status, Unsigned, Scaled, Unsigned32, Float };
enum class Write : uint8_t { None, FromEdit, Scaled, Scaled32, Float };

struct ReadOp {
    Read kind = Read::None;
    double scale = 1.0;
    uint8_t decimals = 0;
    uint16_t normal = 0;   // Status: the code shown as "Normal"
    uint16_t warning = 0;  // Status: the code shown as "Warning"
};

struct WriteOp {
    Write kind = Write::None;
    int32_t multiplier = 1;
};

inline constexpr ReadOp kTenths{Read::Scaled, 0.1, 1};
inline constexpr ReadOp kHundredths{Read::Scaled, 0.01, 2};
inline constexpr ReadOp kUnsigned{Read::Unsigned};
inline constexpr ReadOp kUnsigned32{Read::Unsigned32};
inline constexpr ReadOp kInteger{Read::Integer};
inline constexpr ReadOp kFloat{Read::Float};
constexpr ReadOp Status(uint16_t normal, uint16_t warning) { return {Read::Status, 1.0, 0, normal, warning}; }

inline constexpr WriteOp kWriteTenths{Write::Scaled, 10};
inline constexpr WriteOp kWriteHundredths{Write::Scaled, 100};
inline constexpr WriteOp kWriteInteger{Write::FromEdit};
inline constexpr WriteOp kWriteFloat{Write::Float};

struct Row {
    int edit = 0;
    const char* label = "";
    const char* unit = "";  // "" when the template has no unit label
    uint16_t reg = 0;
    ReadOp read;
    int inquire = 0;  // 0: no Inquire button
    WriteOp write;
    int setup = 0;    // 0: no Set up button
    bool hidden = false;  // in the template without the visible style
};

struct PageTable {
    int templateId = 0;
    const char* className = "";
    std::span<const Row> rows;
    int realTimeBox = 0;
    const char* realTimeLabel = "Real Time";
    // Text shown when "Real Time" is clicked with the port closed; nullptr:
    // the page does not test the port.
    const char* refusal = kOpenPortFirst;
    std::span<const int> readSet;  // edit ids, in the order the poller reads them
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

    // One row's read or write, as its buttons do.
    void Inquire(const Row& row, bool showErrors);
    void SetUp(const Row& row);

    // Control ids given to the labels, units and notice texts.
    static constexpr int kLabelIdBase = 30000;
    static int LabelId(size_t row) { return kLabelIdBase + static_cast<int>(row) * 2; }
    static int UnitId(size_t row) { return kLabelIdBase + static_cast<int>(row) * 2 + 1; }
    static constexpr int kNoticeGroupId = 31000;
    static constexpr int kNoticeTextId = 31001;

private:
    PageTable table_;
};

}  // namespace veltrano::pages
