#include "pages/table_page.h"

namespace veltrano::pages {

TablePage::TablePage(Link& link, const PageTable& table)
    : DevicePage(link, table.templateId, table.className, table.realTimeBox), table_(table) {
    std::vector<int> governed;
    for (size_t i = 0; i < table_.rows.size(); ++i) {
        const Row& row = table_.rows[i];
        ui::LayoutItem item;
        auto add = [&](int id, ui::Kind kind, const char* text, int cell) {
            ui::Control& c = AddControl(id, kind, text);
            c.visible = !row.hidden;
            item.cells[cell] = id;
        };
        add(LabelId(i), ui::Kind::Static, row.label, 0);
        add(row.edit, ui::Kind::Edit, "", 1);
        if (row.unit && *row.unit) add(UnitId(i), ui::Kind::Static, row.unit, 2);
        if (row.inquire) {
            add(row.inquire, ui::Kind::Button, "Inquire", 3);
            OnCommand(row.inquire, [this, &row] { Inquire(row, true); });
            governed.push_back(row.inquire);
        }
        if (row.setup) {
            add(row.setup, ui::Kind::Button, "Set up", 4);
            OnCommand(row.setup, [this, &row] { SetUp(row); });
            SetEnterButton(row.edit, row.setup);
            governed.push_back(row.setup);
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
    BindRealTime(table_.refusal ? std::optional<std::string>(table_.refusal) : std::nullopt, governed);
}

const Row* TablePage::RowOfEdit(int edit) const {
    for (const Row& r : table_.rows)
        if (r.edit == edit) return &r;
    return nullptr;
}

const Row* TablePage::RowOfButton(int button) const {
    for (const Row& r : table_.rows)
        if (r.inquire == button || r.setup == button) return &r;
    return nullptr;
}

void TablePage::Inquire(const Row& row, bool showErrors) {
    const ReadOp& op = row.read;
    switch (op.kind) {
        case Read::None: break;
        case Read::Integer: helper_.ShowInteger(*this, row.edit, row.reg, showErrors); break;
        case Read::Status: helper_.ShowStatus(*this, row.edit, row.reg, op.normal, op.warning, showErrors); break;
        case Read::Unsigned: helper_.ShowUnsigned(*this, row.edit, row.reg, showErrors); break;
        case Read::Scaled: helper_.ShowScaled(*this, row.edit, row.reg, op.scale, op.decimals, showErrors); break;
        case Read::Unsigned32: helper_.ShowUnsigned32(*this, row.edit, row.reg, showErrors); break;
        case Read::Float: helper_.ShowFloat(*this, row.edit, row.reg, showErrors); break;
    }
}

void TablePage::SetUp(const Row& row) {
    const WriteOp& op = row.write;
    switch (op.kind) {
        case Write::None: break;
        case Write::FromEdit: helper_.WriteFromEdit(*this, row.edit, row.reg); break;
        case Write::Scaled: helper_.WriteScaled(*this, row.edit, row.reg, op.multiplier); break;
        case Write::Scaled32: helper_.WriteScaled32(*this, row.edit, row.reg, op.multiplier); break;
        case Write::Float: helper_.WriteFloatFromEdit(*this, row.edit, row.reg); break;
    }
}

void TablePage::RunRealTimeReadSet() {
    for (int edit : table_.readSet)
        if (const Row* row = RowOfEdit(edit)) Inquire(*row, false);
}

std::vector<DevicePage::RowInfo> TablePage::Rows() const {
    std::vector<RowInfo> rows;
    for (const Row& r : table_.rows)
        if (!r.hidden) rows.push_back(RowInfo{r.edit, r.label, r.unit ? r.unit : "", r.inquire, r.setup});
    return rows;
}

}  // namespace veltrano::pages
