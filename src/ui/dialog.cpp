#include "ui/dialog.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <stdexcept>

namespace veltrano::ui {

Dialog::Dialog(int templateId, std::string className, std::string caption)
    : templateId_(templateId), className_(std::move(className)), caption_(std::move(caption)) {}

Dialog::~Dialog() {
    if (parent_) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    for (Dialog* child : children_) child->parent_ = nullptr;
}

Control& Dialog::AddControl(int id, Kind kind, std::string text) {
    if (index_.count(id)) throw std::logic_error(className_ + ": control id " + std::to_string(id) + " used twice");
    Control c;
    c.id = id;
    c.kind = kind;
    c.text = std::move(text);
    index_[id] = controls_.size();
    controls_.push_back(std::move(c));
    order_.push_back(id);
    return controls_.back();
}

void Dialog::AdoptChild(Dialog& child, int parentControl) {
    child.parent_ = this;
    child.parentControl_ = parentControl;
    children_.push_back(&child);
}

void Dialog::Initialize() {
    if (initialized_) return;
    initialized_ = true;
    OnInitDialog();
}

const Control& Dialog::control(int id) const {
    auto it = index_.find(id);
    if (it == index_.end()) throw std::out_of_range(className_ + ": no control " + std::to_string(id));
    return controls_[it->second];
}

Control& Dialog::mutableControl(int id) { return const_cast<Control&>(control(id)); }

void Dialog::Changed(int id) {
    if (observer_) observer_->ControlChanged(*this, id);
}

void Dialog::SetItemText(int id, const std::string& text) {
    Control& c = mutableControl(id);
    if (c.kind == Kind::ComboBox && !c.editable) return;  // a plain drop-down list has no edit part
    c.byOperator = false;
    if (c.text == text) return;
    c.text = text;
    Changed(id);
}

std::string Dialog::GetItemText(int id) const {
    const Control& c = control(id);
    if (c.kind == Kind::ComboBox && !c.editable) return GetSelectedText(id);
    return c.text;
}

namespace {

bool ParseDecimal(const std::string& text, bool allowSign, long long* out) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (allowSign && i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= n || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    long long v = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(text[i]))) {
        v = v * 10 + (text[i] - '0');
        if (v > 0xFFFFFFFFLL) return false;
        ++i;
    }
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i != n) return false;
    *out = negative ? -v : v;
    return true;
}

}  // namespace

unsigned Dialog::GetItemUInt(int id, bool* translated) const {
    long long v = 0;
    const bool ok = ParseDecimal(GetItemText(id), false, &v);
    if (translated) *translated = ok;
    return ok ? static_cast<unsigned>(v) : 0u;
}

int Dialog::GetItemSInt(int id, bool* translated) const {
    long long v = 0;
    bool ok = ParseDecimal(GetItemText(id), true, &v);
    if (ok && (v > INT_MAX || v < INT_MIN)) ok = false;
    if (translated) *translated = ok;
    return ok ? static_cast<int>(v) : 0;
}

void Dialog::SetItemInt(int id, long long value) { SetItemText(id, std::to_string(value)); }

bool Dialog::IsChecked(int id) const { return control(id).checked; }

void Dialog::SetChecked(int id, bool checked) {
    Control& c = mutableControl(id);
    if (c.checked == checked) return;
    c.checked = checked;
    Changed(id);
}

void Dialog::Enable(int id, bool enabled) {
    Control& c = mutableControl(id);
    if (c.enabled == enabled) return;
    c.enabled = enabled;
    Changed(id);
}

bool Dialog::IsEnabled(int id) const { return control(id).enabled; }

void Dialog::ShowControl(int id, bool visible) {
    Control& c = mutableControl(id);
    if (c.visible == visible) return;
    c.visible = visible;
    Changed(id);
}

void Dialog::ResetContent(int id) {
    Control& c = mutableControl(id);
    c.items.clear();
    c.selection = -1;
    if (c.editable) c.text.clear();
    Changed(id);
}

int Dialog::AddString(int id, const std::string& item) {
    Control& c = mutableControl(id);
    size_t at = c.items.size();
    if (c.sorted) {
        at = static_cast<size_t>(std::upper_bound(c.items.begin(), c.items.end(), item) - c.items.begin());
    }
    c.items.insert(c.items.begin() + static_cast<long>(at), item);
    if (c.selection >= static_cast<int>(at)) ++c.selection;
    Changed(id);
    return static_cast<int>(at);
}

void Dialog::SetCurSel(int id, int index) {
    Control& c = mutableControl(id);
    c.selection = (index >= 0 && index < static_cast<int>(c.items.size())) ? index : -1;
    if (c.editable) c.text = c.selection >= 0 ? c.items[static_cast<size_t>(c.selection)] : std::string();
    c.byOperator = false;
    Changed(id);
}

int Dialog::GetCurSel(int id) const { return control(id).selection; }

std::string Dialog::GetSelectedText(int id) const {
    const Control& c = control(id);
    if (c.selection < 0 || c.selection >= static_cast<int>(c.items.size())) return "";
    return c.items[static_cast<size_t>(c.selection)];
}

int Dialog::GetCount(int id) const { return static_cast<int>(control(id).items.size()); }

void Dialog::InsertTab(int id, int index, const std::string& text) {
    Control& c = mutableControl(id);
    const size_t at = std::min(static_cast<size_t>(index < 0 ? 0 : index), c.items.size());
    c.items.insert(c.items.begin() + static_cast<long>(at), text);
    if (c.selection < 0) c.selection = 0;
    Changed(id);
}

void Dialog::SetTabSel(int id, int index) {
    Control& c = mutableControl(id);
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    c.selection = index;
    Changed(id);
}

int Dialog::GetTabSel(int id) const { return control(id).selection; }

void Dialog::SetIcon(int id, int iconId) {
    Control& c = mutableControl(id);
    c.icon = iconId;
    Changed(id);
}

void Dialog::MoveControl(int id, const Rect& rect) {
    mutableControl(id).rect = rect;
    Changed(id);
}

Rect Dialog::ControlClientRect(int id) const {
    const Rect& r = control(id).rect;
    return Rect{0, 0, r.width(), r.height()};
}

void Dialog::Show(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    if (observer_) observer_->DialogShown(*this, visible);
}

bool Dialog::IsShowing() const {
    for (const Dialog* d = this; d; d = d->parent_)
        if (!d->visible_) return false;
    return true;
}

void Dialog::Click(int id) {
    const Control& c = control(id);
    if (!c.enabled || !c.visible) return;
    if (c.kind == Kind::CheckBox) SetChecked(id, !c.checked);
    Command(id);
}

void Dialog::Command(int id) {
    auto it = commands_.find(id);
    if (it != commands_.end()) {
        auto handler = it->second;  // the handler may rewire itself
        handler();
    }
}

void Dialog::SelectTab(int id, int index) {
    const Control& c = control(id);
    if (index < 0 || index >= static_cast<int>(c.items.size())) return;
    SetTabSel(id, index);
    auto it = selChanges_.find(id);
    if (it != selChanges_.end()) it->second();
}

void Dialog::SelectCombo(int id, int index) {
    SetCurSel(id, index);
    mutableControl(id).byOperator = true;
    auto it = selChanges_.find(id);
    if (it != selChanges_.end()) it->second();
}

void Dialog::TypeText(int id, const std::string& text) {
    Control& c = mutableControl(id);
    if (c.readOnly) return;
    c.byOperator = true;
    if (c.text == text) return;
    c.text = text;
    if (c.kind == Kind::ComboBox && c.editable) {
        // Text that spells an entry is that entry; any other selects none.
        const auto it = std::find(c.items.begin(), c.items.end(), text);
        c.selection = it == c.items.end() ? -1 : static_cast<int>(it - c.items.begin());
    }
    Changed(id);
    auto handler = editChanges_.find(id);
    if (handler != editChanges_.end()) handler->second();
}

void Dialog::DropDown(int id) {
    const Control& c = control(id);
    if (!c.enabled || !c.visible) return;
    auto it = dropDowns_.find(id);
    if (it != dropDowns_.end()) it->second();
}

void Dialog::OnDropDown(int id, std::function<void()> handler) { dropDowns_[id] = std::move(handler); }

void Dialog::OnCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }

void Dialog::OnSelChange(int id, std::function<void()> handler) { selChanges_[id] = std::move(handler); }

void Dialog::OnEditChange(int id, std::function<void()> handler) { editChanges_[id] = std::move(handler); }

Host* Dialog::host() const {
    for (const Dialog* d = this; d; d = d->parent_)
        if (d->host_) return d->host_;
    return nullptr;
}

int Dialog::MessageBox(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) {
    Host* h = host();
    if (!h) return kIdOk;
    return h->ShowMessage(*this, MessageBoxRequest{text, caption, icon, buttons});
}

void Dialog::SetTimer(int timerId, int periodMs) {
    if (Host* h = host()) h->StartTimer(*this, timerId, periodMs);
}

void Dialog::EndDialog(int result) {
    if (Host* h = host()) h->EndModal(*this, result);
}

}  // namespace veltrano::ui
