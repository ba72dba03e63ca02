#include "pages/table_page.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "modbus/crc16.h"
#include "modbus/exchange.h"
#include "modbus/frames.h"
#include "modbus/reply_checks.h"
#include "modbus/typed_number.h"

namespace veltrano::pages {
namespace {

bool Contains(std::span<const char* const> items, const std::string& text) {
    for (const char* item : items)
        if (text == item) return true;
    return false;
}

bool TwoRegisters(Read kind) { return kind == Read::Unsigned32 || kind == Read::Float; }

}  // namespace

ReplyVerdict JudgeBlockReply(const uint8_t* reply, uint16_t n, uint8_t address, uint8_t count, uint16_t* words) {
    // The single read's own check, with the block's count.
    uint8_t request[kReadRequestLength];
    BuildReadRequest(request, address, 0, count);
    uint8_t bytes[2 * 125];
    const ReplyVerdict v = CheckReadReply(request, reply, n, bytes);
    if (v.ok())
        for (uint8_t k = 0; k < count; ++k) words[k] = static_cast<uint16_t>(bytes[2 * k] << 8 | bytes[2 * k + 1]);
    return v;
}

bool ParseBlockReply(const uint8_t* reply, uint16_t n, uint8_t address, uint8_t count, uint16_t* words) {
    return count <= 125 && JudgeBlockReply(reply, n, address, count, words).ok();
}

bool BlockReplyTexts(const BlockRead& block, const uint8_t* reply, uint16_t n, uint8_t address,
                     std::vector<std::string>* texts, ReplyVerdict* verdict) {
    uint16_t words[125] = {};
    ReplyVerdict v = VerdictOf(Verdict::WrongLength, address);  // a block no request can name
    if (block.count >= 1 && block.count <= 125) v = JudgeBlockReply(reply, n, address, block.count, words);
    if (verdict) *verdict = v;
    const bool ok = v.ok();
    texts->assign(block.fields.size(), std::string());
    if (!ok) return false;
    for (size_t k = 0; k < block.fields.size(); ++k) {
        const BlockField& f = block.fields[k];
        if (f.word >= block.count) continue;
        uint32_t raw = words[f.word];
        if (TwoRegisters(f.show.kind) && f.word + 1 < block.count) raw = raw << 16 | words[f.word + 1];
        (*texts)[k] = FormatRead(f.show, raw);
    }
    return true;
}

TablePage::TablePage(Link& link, const PageTable& table)
    : DevicePage(link, table.templateId, table.className, table.realTimeBox), table_(table) {
    std::vector<const Row*> polled;
    for (const Row& row : table_.rows)
        if (row.poll > 0) polled.push_back(&row);
    std::stable_sort(polled.begin(), polled.end(), [](const Row* a, const Row* b) { return a->poll < b->poll; });
    for (const Row* row : polled) readSet_.push_back(row->edit);
    if (const TypeList* t = table_.typeList) {
        AddControl(kTypeLabelId, ui::Kind::Static, t->label);
        ui::Control& list = AddControl(t->id, ui::Kind::ComboBox);
        list.sorted = t->sorted;
        list.editable = t->editable;
        ui::LayoutItem item;
        item.cells[0] = kTypeLabelId;
        item.cells[1] = t->id;
        layout().push_back(item);
        for (const char* entry : t->items) AddString(t->id, entry);
        if (!t->items.empty() && t->initial >= 0) SetCurSel(t->id, t->initial);
        OnSelChange(t->id, [this] { OnTypeChange(); });
        // Typed text counts as the entry it spells, or as no entry at all:
        // the rows it takes away are blanked and locked as for a chosen one.
        if (t->editable) OnEditChange(t->id, [this] { OnTypeChange(); });
    }
    for (size_t i = 0; i < table_.rows.size(); ++i) {
        const Row& row = table_.rows[i];
        ui::LayoutItem item;
        auto add = [&](int id, ui::Kind kind, const char* text, int cell) {
            ui::Control& c = AddControl(id, kind, text);
            c.visible = !row.hidden;
            c.enabled = !row.disabled;
            item.cells[cell] = id;
            return &c;
        };
        if (row.label && *row.label) add(LabelId(i), ui::Kind::Static, row.label, 0);
        if (row.edit) {
            add(row.edit, row.list ? ui::Kind::ComboBox : ui::Kind::Edit, "", 1)->readOnly = row.readOnly;
            if (row.list)
                for (const char* entry : row.list->items) AddString(row.edit, entry);
        }
        if (row.unit && *row.unit) add(UnitId(i), ui::Kind::Static, row.unit, 2);
        if (row.inquire && !Has(row.inquire)) {
            add(row.inquire, ui::Kind::Button, row.inquireText, 3);
            OnCommand(row.inquire, [this, id = row.inquire] { InquireButton(id); });
            governedAll_.push_back(row.inquire);
        }
        if (row.setup) {
            add(row.setup, ui::Kind::Button, row.setupText, 4);
            OnCommand(row.setup, [this, &row] { SetUp(row); });
            if (row.edit) SetEnterButton(row.edit, row.setup);
            governedAll_.push_back(row.setup);
        }
        if (!row.hidden) layout().push_back(item);
    }
    AddControl(table_.realTimeBox, ui::Kind::CheckBox, table_.realTimeLabel);
    ui::LayoutItem box;
    box.type = ui::LayoutItem::Type::Wide;
    box.cells[0] = table_.realTimeBox;
    layout().push_back(box);
    if (table_.noticeTitle) {
        AddControl(kNoticeGroupId, ui::Kind::GroupBox, table_.noticeTitle);
        AddControl(kNoticeTextId, ui::Kind::Static, table_.noticeText ? table_.noticeText : "").group = kNoticeGroupId;
        ui::LayoutItem notice;
        notice.type = ui::LayoutItem::Type::Wide;
        notice.cells[0] = kNoticeGroupId;
        layout().push_back(notice);
    }
    RealTimeRule rule;
    rule.refusal = table_.refusal ? std::optional<std::string>(table_.refusal) : std::nullopt;
    rule.stopsAfterRefusal = table_.stopsAfterRefusal;
    rule.locks = table_.locks;
    std::vector<int> governed(table_.governed.begin(), table_.governed.end());
    BindRealTime(rule, table_.governed.empty() ? governedAll_ : governed);
}

const Row* TablePage::RowOfEdit(int edit) const {
    for (const Row& r : table_.rows)
        if (r.edit && r.edit == edit) return &r;
    return nullptr;
}

bool TablePage::TypeReduced() const {
    const TypeList* t = table_.typeList;
    if (!t) return false;
    const bool listed = Contains(t->reduced, GetSelectedText(t->id));
    return t->reducedUnlessListed ? !listed : listed;
}

const ReadOp& TablePage::ReadOf(const Row& row) const {
    if (table_.typeList) {
        const std::string selected = GetSelectedText(table_.typeList->id);
        for (const Variant& v : row.variants)
            if (Contains(v.items, selected)) return v.read;
    }
    return row.read;
}

const WriteOp& TablePage::WriteOf(const Row& row) const {
    if (table_.typeList) {
        const std::string selected = GetSelectedText(table_.typeList->id);
        for (const Variant& v : row.variants)
            if (Contains(v.items, selected)) return v.write;
    }
    return row.write;
}

std::vector<int> TablePage::GovernedNow() const {
    std::vector<int> ids = governed_;
    if (!TypeReduced()) ids.insert(ids.end(), table_.governedFull.begin(), table_.governedFull.end());
    return ids;
}

void TablePage::OnTypeChange() {
    const TypeList& t = *table_.typeList;
    const bool reduced = TypeReduced();
    for (const Row& row : table_.rows) {
        if (!row.follows) continue;
        if (row.edit) {
            if (reduced && t.blanks) SetItemText(row.edit, " ");
            if (t.disablesEdits) Enable(row.edit, !reduced);
        }
        if (row.inquire) Enable(row.inquire, !reduced);
        if (row.setup) Enable(row.setup, !reduced);
    }
}

const ReadTexts& TablePage::ReadTextsOf(const Row& row, const ReadOp& op) const {
    if (row.readTexts) return *row.readTexts;
    if (table_.readTexts) return *table_.readTexts;
    switch (op.kind) {
        case Read::Integer:
        case Read::Status: return kIntegerTexts;
        case Read::Unsigned32: return kUnsigned32Texts;
        case Read::Float: return kFloatTexts;
        default: return kScaledTexts;
    }
}

const WriteTexts& TablePage::WriteTextsOf(const Row& row) const {
    if (row.writeTexts) return *row.writeTexts;
    if (table_.writeTexts) return *table_.writeTexts;
    return kBindingWriteTexts;
}

void TablePage::InquireButton(int button) {
    for (const Row& row : table_.rows) {
        if (row.inquire != button) continue;
        if (row.portCheck && !link_.portOpen) {
            MessageBox(kOpenPortFirst, "Warning", ui::Icon::Warning);
            return;
        }
        Inquire(row, !row.quiet);
    }
}

void TablePage::Inquire(const Row& row, bool showErrors) {
    const ReadOp& op = ReadOf(row);
    if (op.kind == Read::None) return;
    if (op.kind != Read::List) {
        helper_.Show(*this, row.edit, row.reg, op, ReadTextsOf(row, op), showErrors);
        return;
    }
    // The list keeps its entries; the value picks one of them.
    uint32_t raw = 0;
    const ResultCode r = helper_.ReadRaw(row.reg, op, &raw);
    if (r == kResultOk && row.list) {
        const ListSpec& l = *row.list;
        int index = -1;
        if (l.codes.empty()) {
            index = static_cast<int>(raw) - l.offset;
        } else {
            for (size_t i = 0; i < l.codes.size(); ++i)
                if (l.codes[i] == raw) index = static_cast<int>(i);
        }
        const bool names = index >= 0 && index < GetCount(row.edit);
        if (names)
            SetCurSel(row.edit, index);
        else if (!l.unknownKeeps)
            SetCurSel(row.edit, -1);
    }
    if (r != kResultOk && showErrors) ShowReadFailure(ReadTextsOf(row, op), r);
}

void TablePage::ShowReadFailure(const ReadTexts& t, ResultCode r) { ModbusHelper::ReportRead(*this, r, t); }

bool TablePage::Checked(const Row& row, const WriteOp& op) {
    switch (op.check) {
        case Check::None: return true;
        case Check::ZeroOrOne: {
            const unsigned v = GetItemUInt(row.edit) & 0xFF;
            if (v <= 1) return true;
            MessageBox(kIllegalInputText, "Warning", ui::Icon::Warning);
            return false;
        }
        case Check::NotZeroNumber:
        case Check::NotZeroWord: {
            // No number at all is the empty box these pages warn about.
            double number = 0;
            const TypedError e = ParseTyped(GetItemText(row.edit), &number);
            bool empty = e == TypedError::NoNumber || (e == TypedError::None && number == 0.0);
            if (!empty && op.check == Check::NotZeroWord) {
                // Within the register's range, a zero word is a zero value.
                int64_t scaled = 0;
                if (!ModbusHelper::TypedScaled(*this, row.edit, op.multiplier, WriteRange(ReadOf(row), op), row.unit,
                                               &scaled))
                    return false;
                empty = scaled == 0;
            }
            if (!empty) return true;
            MessageBox(kEmptyInputText, "Warning", ui::Icon::Warning);
            return false;
        }
    }
    return true;
}

void TablePage::SetUp(const Row& row) {
    const WriteOp& op = WriteOf(row);
    if (op.kind == Write::None) return;
    // No entry chosen would write a code nobody picked (FF FF, or the
    // list's fallback code).
    if (op.kind == Write::List && GetCurSel(row.edit) < 0) {
        MessageBox(kChooseEntryText, "Warning", ui::Icon::Warning);
        return;
    }
    if (!Checked(row, op)) return;
    WriteOwn(row, op);
}

void TablePage::WriteOwn(const Row& row, const WriteOp& op) {
    ResultCode r = kResultOk;
    switch (op.kind) {
        case Write::None: return;
        case Write::List: {
            uint16_t value = 0;
            const int sel = GetCurSel(row.edit);  // an entry is chosen (SetUp)
            if (row.list && !row.list->codes.empty()) {
                value = sel < static_cast<int>(row.list->codes.size()) ? row.list->codes[static_cast<size_t>(sel)]
                                                                       : row.list->otherCode;
            } else {
                value = static_cast<uint16_t>(sel + (row.list ? row.list->offset : 0));
            }
            r = helper_.WriteRegister(row.reg, value);
            break;
        }
        case Write::Value: r = helper_.WriteRegister(row.reg, op.tag); break;
        default: {
            // A typed number: the bindings' own conversion, within what the row reads back.
            bool refused = false;
            r = helper_.WriteTyped(*this, row.edit, row.reg, op, WriteRange(ReadOf(row), op), row.unit, &refused);
            if (refused) return;
        }
    }
    ModbusHelper::ReportWrite(*this, r, WriteTextsOf(row));
}

bool TablePage::RunBlockRead() {
    const BlockRead& b = *table_.block;
    std::vector<std::string> texts(b.fields.size());
    bool ok = false;
    ReplyVerdict verdict = VerdictOf(Verdict::PortClosed, link_.deviceAddress);
    if (link_.portOpen && b.count >= 1 && b.count <= 125) {
        ReportActivity(link_,
                       "reading registers " + std::to_string(b.start) + " to " + std::to_string(b.start + b.count - 1));
        const uint16_t length = BuildReadRequest(link_.txBuffer, link_.deviceAddress, b.start, b.count);
        const uint16_t n = Exchange(link_, length, b.pollMs);
        ok = BlockReplyTexts(b, link_.rxBuffer, n, link_.deviceAddress, &texts, &verdict);
    }
    ReportOutcome(link_, fn::kReadHolding, b.start, verdict);
    for (size_t k = 0; k < b.fields.size(); ++k) {
        SetItemText(b.fields[k].edit, "");
        if (ok) SetItemText(b.fields[k].edit, texts[k]);
    }
    return ok;
}

void TablePage::ClearReadValues() {
    auto clear = [this](int edit) {
        if (!edit || !Has(edit) || control(edit).byOperator) return;
        if (control(edit).kind == ui::Kind::ComboBox)
            SetCurSel(edit, -1);
        else
            SetItemText(edit, "");
    };
    for (const Row& row : table_.rows)
        if (row.read.kind != Read::None || !row.variants.empty()) clear(row.edit);
    if (table_.block)
        for (const BlockField& f : table_.block->fields) clear(f.edit);
}

void TablePage::RunRealTimeReadSet() {
    if (table_.block) {
        RunBlockRead();
        return;
    }
    const bool reduced = TypeReduced();
    for (int edit : readSet_) {
        const Row* row = RowOfEdit(edit);
        if (!row || (row->follows && reduced)) continue;
        Inquire(*row, false);
    }
}

std::vector<DevicePage::RowInfo> TablePage::Rows() const {
    std::vector<RowInfo> rows;
    for (const Row& r : table_.rows)
        if (!r.hidden && r.edit) rows.push_back(RowInfo{r.edit, r.label, r.unit ? r.unit : "", r.inquire, r.setup});
    return rows;
}

std::vector<DevicePage::RowInfo> TablePage::Commands() const {
    std::vector<RowInfo> commands;
    for (const Row& r : table_.rows)
        if (!r.hidden && !r.edit && r.setup)
            commands.push_back(RowInfo{0, *r.label ? r.label : r.setupText, "", 0, r.setup});
    return commands;
}

namespace {

std::string RegisterWords(uint16_t reg, Read kind) {
    return TwoRegisters(kind) ? "registers " + std::to_string(reg) + "-" + std::to_string(reg + 1)
                              : "register " + std::to_string(reg);
}

}  // namespace

std::string TablePage::Describe(int controlId) const {
    for (const Row& r : table_.rows) {
        const ReadOp& read = ReadOf(r);
        const WriteOp& write = WriteOf(r);
        const bool readBox = controlId == r.edit || controlId == r.inquire;
        if (readBox && read.kind != Read::None) {
            std::string text = RegisterWords(r.reg, read.kind) + ", " + DescribeRead(read);
            if (controlId == r.edit && write.kind != Write::None) text += "; Set up: " + DescribeWrite(write);
            return text;
        }
        if ((controlId == r.setup || controlId == r.edit) && write.kind != Write::None) {
            const bool two = write.kind == Write::Scaled32 || write.kind == Write::Float || write.kind == Write::Tagged;
            return (two ? "registers " + std::to_string(r.reg) + "-" + std::to_string(r.reg + 1)
                        : "register " + std::to_string(r.reg)) +
                   ", " + DescribeWrite(write);
        }
    }
    return "";
}

}  // namespace veltrano::pages
