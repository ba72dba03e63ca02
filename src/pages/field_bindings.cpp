#include "pages/field_bindings.h"

#include <cstring>

#include "ui/dialog.h"

namespace veltrano {
namespace {

constexpr const char* kWarning = "Warning";

// A refusal is said with the range that was missed, where there is one.
bool Refused(ui::Dialog& page, TypedError error, const std::string& rangeText = "") {
    if (error == TypedError::None) return false;
    const std::string text = error == TypedError::OutOfRange && !rangeText.empty() ? rangeText : TypedErrorText(error);
    page.MessageBox(text, kWarning, ui::Icon::Warning);
    return true;
}

bool TwoRegisters(pages::Read kind) { return kind == pages::Read::Unsigned32 || kind == pages::Read::Float; }

}  // namespace

// --- the two steps ---

ResultCode ModbusHelper::ReadRaw(uint16_t reg, const pages::ReadOp& op, uint32_t* raw) {
    if (TwoRegisters(op.kind)) return ReadRegister32(reg, raw);
    int16_t v = 0;
    const ResultCode r = ReadRegister(reg, &v);
    if (r == kResultOk) *raw = static_cast<uint16_t>(v);
    return r;
}

ResultCode ModbusHelper::Show(ui::Dialog& page, int edit, uint16_t reg, const pages::ReadOp& op,
                              const pages::ReadTexts& texts, bool showErrors) {
    uint32_t raw = 0;
    const ResultCode r = ReadRaw(reg, op, &raw);
    // After the transaction, so that the old value stays visible while it
    // runs; ShowInteger is the one read that keeps it on failure.
    if (op.kind != pages::Read::Integer) page.SetItemText(edit, "");
    if (r == kResultOk) page.SetItemText(edit, pages::FormatRead(op, raw));
    if (r != kResultOk && showErrors) ReportRead(page, r, texts);
    return r;
}

void ModbusHelper::ReportRead(ui::Dialog& page, ResultCode r, const pages::ReadTexts& t) {
    const char* text = r == kResultPortClosed ? t.portClosed : r == kResultNoReply ? t.noReply : t.badCheck;
    page.MessageBox(text, t.caption, ui::Icon::Warning);
}

void ModbusHelper::ReportWrite(ui::Dialog& page, ResultCode r, const pages::WriteTexts& t) {
    switch (r) {
        case kResultOk: page.MessageBox(t.ok, "", t.okIcon); break;
        case kResultPortClosed: page.MessageBox(t.portClosed, t.caption, ui::Icon::Warning); break;
        case kResultNoReply: page.MessageBox(t.noReply, t.caption, ui::Icon::Warning); break;
        default: page.MessageBox(t.badCheck, t.caption, ui::Icon::Warning); break;
    }
}

ResultCode ModbusHelper::WriteTyped(ui::Dialog& page, int edit, uint16_t reg, const pages::WriteOp& op,
                                    RegisterRange range, const std::string& unit, bool* refused) {
    using pages::Write;
    *refused = true;
    int64_t scaled = 0;
    switch (op.kind) {
        case Write::FromEdit: {
            uint16_t v = 0;
            if (!TypedUnsigned(page, edit, range, unit, &v)) return kResultOk;
            *refused = false;
            return WriteRegister(reg, v);
        }
        case Write::Scaled:
            if (!TypedScaled(page, edit, op.multiplier, range, unit, &scaled)) return kResultOk;
            *refused = false;
            return WriteRegister(reg, static_cast<uint16_t>(static_cast<uint64_t>(scaled) & 0xFFFF));
        case Write::Scaled32:
            if (!TypedScaled(page, edit, op.multiplier, range, unit, &scaled)) return kResultOk;
            *refused = false;
            return WriteRegister32(reg, static_cast<uint32_t>(static_cast<uint64_t>(scaled) & 0xFFFFFFFFu));
        case Write::Float: {
            float f = 0;
            if (!TypedFloat(page, edit, unit, &f)) return kResultOk;
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            *refused = false;
            return WriteRegister32(reg, bits);
        }
        case Write::Tagged:
            if (!TypedScaled(page, edit, op.multiplier, range, unit, &scaled)) return kResultOk;
            *refused = false;
            return WriteRegisterPair(reg, op.tag, static_cast<uint16_t>(static_cast<uint64_t>(scaled) & 0xFFFF));
        case Write::None:
        case Write::List:
        case Write::Value: break;  // nothing typed: the table's own
    }
    return kResultOk;
}

// --- typed numbers ---

bool ModbusHelper::TypedScaled(ui::Dialog& page, int edit, int32_t multiplier, RegisterRange range,
                               const std::string& unit, int64_t* out) {
    return !Refused(page, ScaleTypedWithin(page.GetItemText(edit), multiplier, range, out),
                    OutOfRangeText(DescribeTypedRange(range, multiplier), unit));
}

bool ModbusHelper::TypedFloat(ui::Dialog& page, int edit, const std::string& unit, float* out) {
    return !Refused(page, ParseTypedSingle(page.GetItemText(edit), out), SingleRangeText(unit));
}

bool ModbusHelper::TypedUnsigned(ui::Dialog& page, int edit, RegisterRange range, const std::string& unit,
                                 uint16_t* out) {
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
    const RegisterRange word{range.min < 0 ? 0 : range.min, range.max > 65535 ? 65535 : range.max};
    if (!word.Holds(v)) {
        Refused(page, TypedError::OutOfRange, OutOfRangeText(DescribeTypedRange(word, 1), unit));
        return false;
    }
    *out = static_cast<uint16_t>(v);
    return true;
}

// --- the ten bindings ---

void ModbusHelper::ShowInteger(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    Show(page, edit, reg, pages::kInteger, pages::kIntegerTexts, showErrors);
}

void ModbusHelper::ShowStatus(ui::Dialog& page, int edit, uint16_t reg, uint16_t normalCode, uint16_t warningCode,
                              bool showErrors) {
    Show(page, edit, reg, pages::Status(normalCode, warningCode), pages::kIntegerTexts, showErrors);
}

void ModbusHelper::ShowUnsigned(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    Show(page, edit, reg, pages::kUnsigned, pages::kScaledTexts, showErrors);
}

void ModbusHelper::ShowScaled(ui::Dialog& page, int edit, uint16_t reg, double scale, uint8_t decimals,
                              bool showErrors) {
    const uint8_t places = decimals == 1 || decimals == 2 ? decimals : 0;
    Show(page, edit, reg, pages::Scaled(scale, places), pages::kScaledTexts, showErrors);
}

void ModbusHelper::ShowUnsigned32(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    Show(page, edit, reg, pages::kUnsigned32, pages::kUnsigned32Texts, showErrors);
}

void ModbusHelper::ShowFloat(ui::Dialog& page, int edit, uint16_t reg, bool showErrors) {
    Show(page, edit, reg, pages::kFloat, pages::kFloatTexts, showErrors);
}

namespace {

void Bound(ModbusHelper& m, ui::Dialog& page, int edit, uint16_t reg, const pages::WriteOp& op, RegisterRange range) {
    bool refused = false;
    const ResultCode r = m.WriteTyped(page, edit, reg, op, range, "", &refused);
    if (!refused) ModbusHelper::ReportWrite(page, r, pages::kBindingWriteTexts);
}

}  // namespace

void ModbusHelper::WriteFromEdit(ui::Dialog& page, int edit, uint16_t reg) {
    Bound(*this, page, edit, reg, pages::kWriteInteger, kUnsigned16Range);
}

void ModbusHelper::WriteScaled(ui::Dialog& page, int edit, uint16_t reg, int32_t multiplier) {
    Bound(*this, page, edit, reg, pages::WriteScaled(multiplier), kAny16Range);
}

void ModbusHelper::WriteScaled32(ui::Dialog& page, int edit, uint16_t reg, int32_t multiplier) {
    Bound(*this, page, edit, reg, {pages::Write::Scaled32, multiplier}, kAny32Range);
}

void ModbusHelper::WriteFloatFromEdit(ui::Dialog& page, int edit, uint16_t reg) {
    Bound(*this, page, edit, reg, pages::kWriteFloat, kAny32Range);
}

}  // namespace veltrano
