// page list | page NAME inquire | poll | set | save | diff | load: a device
// page run headless, at the rate and address given (no scan).
#include <algorithm>

#include "app/categories.h"
#include "cli/internal.h"
#include "pages/page_registry.h"
#include "pages/table_page.h"

namespace veltrano::cli::internal {
namespace {

// The rows of a page with a Set up, its command buttons, and the one a LABEL
// (or an edit's or button's id) names.
std::vector<pages::DevicePage::RowInfo> SetUps(const pages::DevicePage& page) {
    std::vector<pages::DevicePage::RowInfo> rows;
    for (const auto& row : page.Rows())
        if (row.setup) rows.push_back(row);
    for (const auto& row : page.Commands()) rows.push_back(row);
    return rows;
}

const pages::DevicePage::RowInfo* FindRow(const std::vector<pages::DevicePage::RowInfo>& rows, const std::string& label,
                                          int* matches) {
    const pages::DevicePage::RowInfo* target = nullptr;
    *matches = 0;
    for (const auto& row : rows) {
        const bool byId = (row.edit && std::to_string(row.edit) == label) || std::to_string(row.setup) == label;
        if (row.label == label || byId) {
            target = &row;
            ++*matches;
        }
    }
    return target;
}

bool IsFileCommand(const std::string& name) { return name == "save" || name == "diff" || name == "load"; }

// The entry of list `id` whose text is `item`; -1 (with the reason) otherwise.
int ListEntry(const pages::DevicePage& page, int id, const std::string& item, std::string* why) {
    if (!page.Has(id) || page.control(id).kind != ui::Kind::ComboBox) {
        std::string lists;
        for (int c : page.controlOrder())
            if (page.control(c).kind == ui::Kind::ComboBox) lists += (lists.empty() ? "" : ", ") + std::to_string(c);
        *why = "no list " + std::to_string(id) + " on " + page.className() +
               (lists.empty() ? " (it has none)" : " (lists: " + lists + ")");
        return -1;
    }
    const auto& items = page.control(id).items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == item) return static_cast<int>(i);
    std::string known;
    for (const auto& i : items) known += (known.empty() ? "'" : ", '") + i + "'";
    *why = "list " + std::to_string(id) + " has no entry '" + item + "' (entries: " + known + ")";
    return -1;
}

int ListPages(FILE* out) {
    for (const app::CategoryInfo& cat : app::AllCategories()) {
        if (cat.subTabs.empty()) {
            const pages::PageInfo* p = pages::FindPage(cat.templateId);
            std::fprintf(out, "%s\t%s\t-\n", p->className, cat.label);
        }
        for (const app::SubTab& sub : cat.subTabs)
            std::fprintf(out, "%s\t%s\t%s\n", pages::FindPage(sub.pageTemplate)->className, cat.label, sub.label);
    }
    return 0;
}

int Inquire(Console& console, pages::DevicePage& page, FILE* out, FILE* err) {
    const size_t before = console.host().messages.size();
    // Each button once: a button that fills several boxes reads them all.
    std::vector<int> pressed;
    for (const auto& row : page.Rows()) {
        if (!row.inquire || std::find(pressed.begin(), pressed.end(), row.inquire) != pressed.end()) continue;
        pressed.push_back(row.inquire);
        page.Click(row.inquire);
    }
    console.host().Print(err);
    PrintRows(page, out);
    if (!console.link().portOpen) return kResultPortClosed;
    return console.host().messages.size() == before ? 0 : 2;
}

int SetUp(Console& console, pages::DevicePage& page, const Options& o, FILE* out, FILE* err) {
    const std::vector<std::string>& c = o.command;
    int matches = 0;
    const auto rows = SetUps(page);
    const pages::DevicePage::RowInfo* target = FindRow(rows, c[3], &matches);
    // A click on a disabled button does nothing: say why instead of waiting for a reply.
    if (!page.IsEnabled(target->setup)) {
        std::string why = "'" + c[3] + "' is not available";
        const auto* table = dynamic_cast<const pages::TablePage*>(&page);
        if (table && table->TypeReduced())
            why += " for the selected type ('" + page.GetSelectedText(table->table().typeList->id) + "')";
        std::fprintf(err, "veltrano-cli: %s; nothing written\n", why.c_str());
        return kRefusedInput;
    }
    if (target->edit && page.control(target->edit).kind == ui::Kind::ComboBox && !page.control(target->edit).editable) {
        std::string why;
        const int index = ListEntry(page, target->edit, c[4], &why);
        if (index < 0) return Usage(err, why);
        page.SelectCombo(target->edit, index);
    } else if (target->edit) {
        page.TypeText(target->edit, c[4]);
    }
    const int before = console.requests();
    const size_t shownBefore = console.host().messages.size();
    page.Click(target->setup);
    const bool shown = console.host().messages.size() > shownBefore;
    // Every success message of the pages has an empty caption; every failure a "Warning".
    int code = 2;
    if (shown && console.host().last()->request.caption.empty())
        code = 0;
    else if (!console.link().portOpen)
        code = kResultPortClosed;
    else if (shown && console.requests() == before)
        code = kRefusedInput;  // the page refused the value
    console.host().Print(code == 0 ? out : err);
    return code;
}

}  // namespace

std::string CheckPageArguments(const std::vector<std::string>& c) {
    if (c.size() == 2 && c[1] == "list") return "";
    const bool read = c.size() == 3 && (c[2] == "inquire" || c[2] == "poll");
    const bool set = (c.size() == 4 || c.size() == 5) && c[2] == "set";
    const bool file = c.size() >= 3 && IsFileCommand(c[2]);
    if (!read && !set && !file)
        return "page takes: list | NAME inquire | NAME poll | NAME set LABEL [VALUE] | NAME save FILE"
               " | NAME diff FILE | NAME load FILE [--dry-run]";
    const pages::PageInfo* info = pages::FindPage(c[1]);
    if (!info) return "no page '" + c[1] + "' (see: page list)";
    if (file) {
        if (c.size() != 4 || c[3].empty()) return c[2] + " takes one argument: FILE";
        return "";
    }
    if (!set) return "";
    Link scratch;  // the page is built only to read its rows
    const auto rows = SetUps(*pages::MakePage(info->templateId, scratch));
    int matches = 0;
    const pages::DevicePage::RowInfo* row = FindRow(rows, c[3], &matches);
    if (matches == 1) {
        if (row->edit && c.size() == 4) return "'" + c[3] + "' needs a VALUE";
        if (!row->edit && c.size() == 5) return "'" + c[3] + "' is a command button: it takes no VALUE";
        return "";
    }
    std::string labels;
    for (const auto& r : rows) labels += (labels.empty() ? "" : ", ") + r.label;
    return matches ? "'" + c[3] + "' names more than one row"
                   : "no row '" + c[3] + "' with a Set up on " + c[1] +
                         (labels.empty() ? " (it has none)" : " (rows: " + labels + ")");
}

void PrintRows(const pages::DevicePage& page, FILE* out, const std::vector<int>& blank) {
    for (const auto& row : page.Rows()) {
        if (!row.inquire && row.setup) continue;
        const bool failed = std::find(blank.begin(), blank.end(), row.edit) != blank.end();
        std::fprintf(out, "%s\t%s\t%s\n", row.label.c_str(), failed ? "" : page.GetItemText(row.edit).c_str(),
                     row.unit.c_str());
    }
}

int PageCommand(const Options& o, FILE* out, FILE* err) {
    const std::vector<std::string>& c = o.command;
    if (c[1] == "list") return ListPages(out);
    Console console(o, err);
    pages::DevicePage* page = console.main().ShowPage(c[1]);
    // Lists are chosen as a click would, notification included, before anything is sent.
    for (const auto& [id, item] : o.selects) {
        std::string why;
        const int index = ListEntry(*page, id, item, &why);
        if (index < 0) return Usage(err, why);
        page->SelectCombo(id, index);
    }
    if (IsFileCommand(c[2])) return SettingsCommand(console, *page, o, out, err);
    OpenAsGiven(console.link(), o, err);
    console.host().Print(err);
    if (page->Rows().empty() && page->Commands().empty()) {
        std::fprintf(err, "%s has no readings in this version.\n", c[1].c_str());
        return kUsageError;
    }
    if (c[2] == "inquire") return Inquire(console, *page, out, err);
    if (c[2] == "poll") return PollCommand(console, *page, o, out, err);
    return SetUp(console, *page, o, out, err);
}

}  // namespace veltrano::cli::internal
