#pragma once
// A small dialog model: dialogs own controls addressed by control id, the
// way the device pages and the main window expect, and a front end (the Qt
// widgets, or a test) shows them. Nothing here knows any toolkit.
//
// Front ends observe changes through Dialog::Observer, forward the user's
// actions with Click / SelectTab / SelectCombo / TypeText, drive the window
// timers with Timer(), and show message boxes through Host.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace veltrano::ui {

enum class Kind { Edit, Button, CheckBox, ComboBox, Static, Picture, GroupBox, Tab };

enum class Icon { None, Warning, Question, Information };
enum class Buttons { Ok, OkCancel, YesNo };

// Message box results, as the platform numbers them.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Pixels, relative to the parent window (or control) the rectangle lies in.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Control {
    int id = 0;
    Kind kind = Kind::Static;
    std::string text;  // edit text, button/label caption, group title
    bool enabled = true;
    bool visible = true;             // false for rows built without the visible style
    bool checked = false;            // check boxes
    std::vector<std::string> items;  // drop-down lists, tab controls
    int selection = -1;              // drop-down lists, tab controls; -1: none
    bool sorted = false;             // drop-down lists
    bool editable = false;           // drop-down lists
    bool readOnly = false;           // edit boxes that show a value but take no typing
    int icon = 0;                    // pictures: icon resource id
    int group = 0;                   // id of the group box that frames it, 0 if none
    Rect rect;                       // where the template (or a move) puts it
    // The text or selection is the operator's (typed or chosen), not the
    // program's; the program setting it makes it the program's again.
    bool byOperator = false;
};

struct MessageBoxRequest {
    std::string text;
    std::string caption;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// How a front end may arrange a dialog's controls: rows of up to five cells
// (label, value, unit, Inquire, Set up) or one control across the width.
struct LayoutItem {
    enum class Type { Row, Wide };
    Type type = Type::Row;
    int cells[5] = {0, 0, 0, 0, 0};
};

class Dialog;

class Host {
public:
    virtual ~Host() = default;
    // Modal; returns the button pressed (kIdOk, ...). Timers keep running.
    virtual int ShowMessage(Dialog& owner, const MessageBoxRequest& request) = 0;
    // A window timer was started (or restarted) on the dialog.
    virtual void StartTimer(Dialog& /*dialog*/, int /*timerId*/, int /*periodMs*/) {}
    // The dialog asked to end its modal run.
    virtual void EndModal(Dialog& /*dialog*/, int /*result*/) {}
    // Runs `dialog` modally over `owner` (the About box); returns its result.
    virtual int RunModal(Dialog& /*owner*/, Dialog& /*dialog*/) { return kIdOk; }
};

class Dialog {
public:
    class Observer {
    public:
        virtual ~Observer() = default;
        virtual void ControlChanged(Dialog& dialog, int id) = 0;
        virtual void DialogShown(Dialog& dialog, bool visible) = 0;
    };

    Dialog(int templateId, std::string className, std::string caption = "");
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int templateId() const { return templateId_; }
    const std::string& className() const { return className_; }
    const std::string& caption() const { return caption_; }

    // --- building ---
    Control& AddControl(int id, Kind kind, std::string text = "");
    // Makes `child` a child window placed inside control `parentControl`
    // (a tab control) of this dialog. The caller keeps ownership.
    void AdoptChild(Dialog& child, int parentControl);
    Dialog* parent() const { return parent_; }
    int parentControl() const { return parentControl_; }
    const std::vector<Dialog*>& children() const { return children_; }

    // Runs the dialog's initialisation once (OnInitDialog).
    void Initialize();
    bool initialized() const { return initialized_; }

    // --- controls ---
    bool Has(int id) const { return index_.count(id) != 0; }
    const Control& control(int id) const;
    const std::vector<int>& controlOrder() const { return order_; }

    void SetItemText(int id, const std::string& text);
    std::string GetItemText(int id) const;
    // The platform's unsigned read of an item: leading blanks, then decimal
    // digits only (trailing blanks allowed); anything else, or a value past
    // 32 bits, reads 0 with *translated false.
    unsigned GetItemUInt(int id, bool* translated = nullptr) const;
    // Signed read: an optional sign, then decimal digits, within 32 bits.
    int GetItemSInt(int id, bool* translated = nullptr) const;
    void SetItemInt(int id, long long value);

    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);
    void Enable(int id, bool enabled);
    bool IsEnabled(int id) const;
    void ShowControl(int id, bool visible);

    // Drop-down lists.
    void ResetContent(int id);
    int AddString(int id, const std::string& item);  // index where it went (sorted lists sort)
    void SetCurSel(int id, int index);               // no notification
    int GetCurSel(int id) const;
    std::string GetSelectedText(int id) const;  // "" when nothing is selected
    int GetCount(int id) const;

    // Tab controls.
    void InsertTab(int id, int index, const std::string& text);
    void SetTabSel(int id, int index);  // no notification
    int GetTabSel(int id) const;

    void SetIcon(int id, int iconId);

    // Geometry: a control's rectangle in this dialog, its client rectangle
    // (0, 0, width, height), and the window's own rectangle in its parent.
    void MoveControl(int id, const Rect& rect);
    Rect ControlClientRect(int id) const;
    void MoveWindow(const Rect& rect) { rect_ = rect; }
    const Rect& windowRect() const { return rect_; }
    Rect clientRect() const { return Rect{0, 0, rect_.width(), rect_.height()}; }

    // --- the window ---
    void Show(bool visible);
    bool IsVisible() const { return visible_; }
    // Visible here and in every parent.
    bool IsShowing() const;

    // --- user actions (front ends and tests) ---
    // A click: check boxes toggle first; then the command handler runs.
    // Clicks on disabled or hidden controls are ignored, as on screen.
    void Click(int id);
    // The command message itself, as if sent; runs the handler whatever the
    // control's state.
    void Command(int id);
    void SelectTab(int id, int index);    // sets the selection, then notifies
    void SelectCombo(int id, int index);  // sets the selection, then notifies
    // Ignored on a read-only box, as on screen.
    void TypeText(int id, const std::string& text);
    // The operator opens a drop-down list.
    void DropDown(int id);
    void Timer(int timerId) { OnTimer(timerId); }
    // Enter / Escape while a control of this dialog has the focus.
    virtual void KeyEnter() { EndDialog(kIdOk); }
    virtual void KeyEscape() { EndDialog(kIdCancel); }

    // --- behaviour wiring ---
    void OnCommand(int id, std::function<void()> handler);
    void OnSelChange(int id, std::function<void()> handler);
    // The operator changed the text of edit box or editable list `id`.
    void OnEditChange(int id, std::function<void()> handler);
    void OnDropDown(int id, std::function<void()> handler);
    // The button that Enter presses while edit box `edit` has the focus (a
    // click, so a disabled button stays unpressed); 0: none.
    void SetEnterButton(int edit, int button) { enterButtons_[edit] = button; }
    int EnterButton(int edit) const {
        auto it = enterButtons_.find(edit);
        return it == enterButtons_.end() ? 0 : it->second;
    }

    int MessageBox(const std::string& text, const std::string& caption, Icon icon = Icon::None,
                   Buttons buttons = Buttons::Ok);
    void SetTimer(int timerId, int periodMs);
    void EndDialog(int result);

    // The host of the dialog tree (set on the root).
    void SetHost(Host* host) { host_ = host; }
    Host* host() const;

    void SetObserver(Observer* observer) { observer_ = observer; }
    Observer* observer() const { return observer_; }

    std::vector<LayoutItem>& layout() { return layout_; }
    const std::vector<LayoutItem>& layout() const { return layout_; }

protected:
    virtual void OnInitDialog() {}
    virtual void OnTimer(int /*timerId*/) {}
    Control& mutableControl(int id);
    void Changed(int id);

private:
    int templateId_;
    std::string className_;
    std::string caption_;
    std::vector<Control> controls_;
    std::map<int, size_t> index_;
    std::vector<int> order_;
    std::map<int, std::function<void()>> commands_;
    std::map<int, std::function<void()>> selChanges_;
    std::map<int, std::function<void()>> editChanges_;
    std::map<int, std::function<void()>> dropDowns_;
    std::map<int, int> enterButtons_;
    Rect rect_;
    std::vector<LayoutItem> layout_;
    Dialog* parent_ = nullptr;
    int parentControl_ = 0;
    std::vector<Dialog*> children_;
    Host* host_ = nullptr;
    Observer* observer_ = nullptr;
    bool visible_ = true;
    bool initialized_ = false;
};

}  // namespace veltrano::ui
