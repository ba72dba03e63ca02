#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "modbus/modbus_helper.h"
#include "modbus/typed_number.h"
#include "ui/dialog.h"

namespace veltrano {
namespace {

constexpr const char* kWarning = "Warning";

// Failure texts of the show operations: result 1, result 2, anything else.
struct ShowTexts {
    const char* portClosed;
    const char* noReply;
    const char* other;
};
constexpr ShowTexts kIntegerTexts{"Serial port not open!", "Read format Error!", "Check Value Error!"};
constexpr ShowTexts kScaledTexts{"Serial port not open!", "Read format error!", "Check value error!"};
constexpr ShowTexts kUnsigned32Texts{"Serial port not open!", "Read format error!", "Check Value error!"};
constexpr ShowTexts kFloatTexts{"Serial port not open!", "Read format error!", "Check Value Error!"};

void ReportShow(ui::Dialog& page, ResultCode result, const ShowTexts& texts, bool showErrors) {
    if (result == kResultOk || !showErrors) return;
    const char* text = result == kResultPortClosed ? texts.portClosed
                       : result == kResultNoReply  ? texts.noReply
                                                   : texts.other;
    page.MessageBox(text, kWarning, ui::Icon::Warning, ui::Buttons::Ok);
}

// Fixed notation with `decimals` places, as "%.Nf" prints in the C locale.
std::string Fixed(double value, int decimals) {
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

// A refusal is said with the range that was missed, where there is one.
bool Refused(ui::Dialog& page, TypedError error, const std::string& rangeText = "") {
    if (error == TypedError::None) return false;
    const std::string text = error == TypedError::OutOfRange && !rangeText.empty() ? rangeText : TypedErrorText(error);
    page.MessageBox(text, kWarning, ui::Icon::Warning);
    return true;
}

}  // namespace


std::string ModbusHelper::FormatScaled(int16_t raw, double scale, uint8_t decimals) {
    const double v = static_cast<double>(raw) * scale;
    return Fixed(v, decimals == 1 ? 1 : decimals == 2 ? 2 : 0);
}

std::string ModbusHelper::FormatFloat(float value) { return Fixed(static_cast<double>(value), 6); }

double ModbusHelper::ParseNumber(const std::string& text) {
    double d = 0;
    switch (ParseTyped(text, &d)) {
        case TypedError::None: return d;
        case TypedError::NoNumber: return 0;
        case TypedError::OutOfRange: return std::numeric_limits<double>::infinity();
        case TypedError::NotWhole:
        case TypedError::TrailingText:
        case TypedError::CommaDecimal: {
            // The number before the comma, as the leading-number rule reads it.
            const std::string head = text.substr(0, 19);
            return ParseTyped(head.substr(0, head.find(',')), &d) == TypedError::None ? d : 0;
        }
    }
    return 0;
}

bool ModbusHelper::TypedScaled(ui::Dialog& page, int edit, int32_t multiplier, RegisterRange range,
                               const std::string& unit, int64_t* out) {
    return !Refused(page, ScaleTypedWithin(page.GetItemText(edit), multiplier, range, out),
                    OutOfRangeText(DescribeTypedRange(range, multiplier), unit));
}

bool ModbusHelper::TypedFloat(ui::Dialog& page, int edit, const std::string& unit, float* out) {
    return !Refused(page, ParseTypedSingle(page.GetItemText(edit), out), SingleRangeText(unit));
}

bool ModbusHelper::TypedUnsigned(ui::Dialog& page, int edit, const std::string& unit, uint16_t* out) {
    bool plain = false;
    const unsigned v = page.GetItemUInt(edit, &plain);
    if (!plain) {
        // The platform's read gives 0 for "-5", "25.5" or "12a": writing that
        // 0 would set a limit the operator never typed. Say why instead.
        int64_t unused = 0;
        const TypedError e = ScaleTyped(page.GetItemText(edit), 1, &unused);
        Refused(page, e == TypedError::NoNumber || e == TypedError::CommaDecimal ? e : TypedError::NotWhole);
        return false;
    }
    // 65537 written as its low 16 bits would set 1.
    if (v > 0xFFFF) {
        Refused(page, TypedError::OutOfRange, OutOfRangeText(DescribeTypedRange(kUnsigned16Range, 1), unit));
        return false;
    }
    *out = static_cast<uint16_t>(v);
    return true;
}

double ModbusHelper::EditNumber(const ui::Dialog& page, int edit) { return ParseNumber(page.GetItemText(edit)); }

bool ModbusHelper::ScaleToInteger(double number, int32_t multiplier, int64_t* out) {
    const double product = number * static_cast<double>(multiplier);
    if (!std::isfinite(product)) return false;
    // Truncation must land in [-2^63, 2^63 - 1].
    if (!(product >= -9223372036854775808.0 && product < 9223372036854775808.0)) return false;
    *out = static_cast<int64_t>(product);
    return true;
}

namespace {

// One show operation: the read, then (except for ShowInteger) an empty box,
// then the display text on success or the message on failure.
template <class Value, class Read, class Display>
void Show(ui::Dialog& page, int edit, bool clears, const ShowTexts& texts, bool showErrors, Read read,
          Display display) {
    Value v{};
    const ResultCode r = read(&v);
    if (clears) page.SetItemText(edit, "");
    if (r == kResultOk) page.SetItemText(edit, display(v));
    ReportShow(page, r, texts, showErrors);
}

std::string Unsigned16(int16_t v) { return std::to_string(static_cast<uint16_t>(v)); }

}  // namespace

void ModbusHelper::ShowInteger(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    // The only show operation that keeps the old text on failure.
    Show<int16_t>(page, edit, false, kIntegerTexts, showErrors, [&](int16_t* v) { return ReadRegister(reg, v); },
                  Unsigned16);
}

void ModbusHelper::ShowStatus(ui::Dialog& page, int edit, uint16_t reg, uint16_t normalCode, uint16_t warningCode,
                              bool showErrors) {
    Show<int16_t>(page, edit, true, kIntegerTexts, showErrors, [&](int16_t* v) { return ReadRegister(reg, v); },
                  [&](int16_t v) -> std::string {
                      const uint16_t u = static_cast<uint16_t>(v);
                      return u == normalCode ? "Normal" : u == warningCode ? "Warning" : "err";
                  });
}

void ModbusHelper::ShowUnsigned(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    Show<int16_t>(page, edit, true, kScaledTexts, showErrors, [&](int16_t* v) { return ReadRegister(reg, v); },
                  Unsigned16);
}

void ModbusHelper::ShowScaled(ui::Dialog& page, int edit, uint16_t reg, double scale, uint8_t decimals,
                              bool showErrors) {
    Show<int16_t>(page, edit, true, kScaledTexts, showErrors, [&](int16_t* v) { return ReadRegister(reg, v); },
                  [&](int16_t v) { return FormatScaled(v, scale, decimals); });
}

void ModbusHelper::ShowUnsigned32(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    Show<uint32_t>(page, edit, true, kUnsigned32Texts, showErrors,
                   [&](uint32_t* v) { return ReadRegister32(reg, v); }, [](uint32_t v) { return std::to_string(v); });
}

void ModbusHelper::ShowFloat(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    Show<float>(page, edit, true, kFloatTexts, showErrors, [&](float* v) { return ReadFloat(reg, v); },
                [](float v) { return FormatFloat(v); });
}

void ModbusHelper::ReportWrite(ui::Dialog& page, ResultCode result) {
    switch (result) {
        case kResultOk: page.MessageBox("Write Successfully", "", ui::Icon::Warning, ui::Buttons::Ok); break;
        case kResultPortClosed: page.MessageBox("Serial port not open!", kWarning, ui::Icon::Warning); break;
        case kResultNoReply:
            page.MessageBox("Return value error or device not responding!", kWarning, ui::Icon::Warning);
            break;
        default: page.MessageBox("Receiving and sending data are inconsistent!", kWarning, ui::Icon::Warning);
    }
}

void ModbusHelper::WriteFromEdit(ui::Dialog& page, int edit, uint16_t reg) {
    uint16_t v = 0;
    if (!TypedUnsigned(page, edit, "", &v)) return;
    ReportWrite(page, WriteRegister(reg, v));
}

// Without a row to say how the device reads the word, either reading of it
// is let through; a number that fits neither would be written wrapped.
void ModbusHelper::WriteScaled(ui::Dialog& page, int edit, uint16_t reg, int32_t multiplier) {
    int64_t scaled = 0;
    if (!TypedScaled(page, edit, multiplier, kAny16Range, "", &scaled)) return;
    ReportWrite(page, WriteRegister(reg, static_cast<uint16_t>(static_cast<uint64_t>(scaled) & 0xFFFF)));
}

void ModbusHelper::WriteScaled32(ui::Dialog& page, int edit, uint16_t reg, int32_t multiplier) {
    int64_t scaled = 0;
    if (!TypedScaled(page, edit, multiplier, kAny32Range, "", &scaled)) return;
    ReportWrite(page, WriteRegister32(reg, static_cast<uint32_t>(static_cast<uint64_t>(scaled) & 0xFFFFFFFFu)));
}

void ModbusHelper::WriteFloatFromEdit(ui::Dialog& page, int edit, uint16_t reg) {
    float f = 0;
    if (!TypedFloat(page, edit, "", &f)) return;
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    ReportWrite(page, WriteRegister32(reg, bits));
}

}  // namespace veltrano
