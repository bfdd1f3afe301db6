#include "reports/xlsx.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <pugixml.hpp>
#include <sstream>

#include "common/fileutil.h"

namespace qvr::xlsx {

bool g_XlsxUnavailable = false;

namespace {

constexpr const char* kNsMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kNsRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kNsPkgRel = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kRelStyles = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles";
constexpr const char* kCtStyles = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

// A package larger than this when unpacked is refused (a damaged or hostile file).
constexpr uint64_t kMaxUnpacked = 256ull * 1024 * 1024;

// Width of a digit of the standard font in pixels, and the cell padding, which turn a
// width in characters into the stored width.
constexpr double kDigitPx = 7.0;
constexpr double kPaddingPx = 5.0;

std::string Serialize(const pugi::xml_node& n) {
    std::ostringstream s;
    n.print(s, "", pugi::format_raw);
    return s.str();
}

std::string DocText(const pugi::xml_document& doc) {
    std::ostringstream s;
    s << R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)" << "\r\n";
    doc.save(s, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return s.str();
}

void LoadXml(pugi::xml_document& doc, const std::string& text, const std::string& part) {
    const pugi::xml_parse_result r = doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!r) throw Error("Повреждена часть книги " + part + ": " + r.description());
}

std::string NumberText(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}
std::string NumberText(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Drops the characters XML 1.0 cannot hold.
std::string XmlSafe(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (unsigned char ch : s)
        if (ch >= 0x20 || ch == '\t' || ch == '\n' || ch == '\r') out.push_back(char(ch));
    return out;
}

// Inserts a child named `name` into parent at its place in the schema order `order`
// (children of unknown names are passed over); returns the existing child if present.
pugi::xml_node ChildInOrder(pugi::xml_node parent, const char* name, const std::vector<std::string>& order) {
    if (pugi::xml_node n = parent.child(name)) return n;
    auto rank = [&](const char* nm) {
        auto it = std::find(order.begin(), order.end(), std::string(nm));
        return it == order.end() ? -1 : int(it - order.begin());
    };
    const int mine = rank(name);
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        const int r = rank(c.name());
        if (r > mine) return parent.insert_child_before(name, c);
    }
    return parent.append_child(name);
}

const std::vector<std::string> kSheetOrder = {
    "sheetPr", "dimension", "sheetViews", "sheetFormatPr", "cols", "sheetData", "sheetCalcPr",
    "sheetProtection", "protectedRanges", "scenarios", "autoFilter", "sortState", "dataConsolidate",
    "customSheetViews", "mergeCells", "phoneticPr", "conditionalFormatting", "dataValidations",
    "hyperlinks", "printOptions", "pageMargins", "pageSetup", "headerFooter", "rowBreaks", "colBreaks",
    "customProperties", "cellWatches", "ignoredErrors", "smartTags", "drawing", "legacyDrawing",
    "legacyDrawingHF", "picture", "oleObjects", "controls", "webPublishItems", "tableParts", "extLst"};
const std::vector<std::string> kWorkbookOrder = {
    "fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews", "sheets",
    "functionGroups", "externalReferences", "definedNames", "calcPr", "oleSize", "customWorkbookViews",
    "pivotCaches", "smartTagPr", "smartTagTypes", "webPublishing", "fileRecoveryPr", "webPublishObjects",
    "extLst"};
const std::vector<std::string> kStylesOrder = {"numFmts", "fonts", "fills", "borders", "cellStyleXfs",
                                               "cellXfs", "cellStyles", "dxfs", "tableStyles", "colors",
                                               "extLst"};
const std::vector<std::string> kXfOrder = {"alignment", "protection", "extLst"};
const std::vector<std::string> kFontOrder = {"b", "i", "strike", "condense", "extend", "outline", "shadow",
                                             "u", "vertAlign", "sz", "color", "name", "family", "charset",
                                             "scheme"};
const std::vector<std::string> kBorderOrder = {"left", "start", "right", "end", "top", "bottom", "diagonal",
                                               "vertical", "horizontal"};

// Joins a relationship target to the folder of its source part ("xl/").
std::string ResolveTarget(const std::string& baseFolder, std::string target) {
    if (!target.empty() && target[0] == '/') return target.substr(1);
    std::vector<std::string> parts;
    std::string path = baseFolder + target;
    std::string seg;
    std::istringstream is(path);
    while (std::getline(is, seg, '/')) {
        if (seg.empty() || seg == ".") continue;
        if (seg == "..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(seg);
        }
    }
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : "/") + p;
    return out;
}

// The OOXML border style of a line style code.
const char* BorderStyleName(int style) {
    switch (style) {
        case kLineNone: return "";
        case kLineContinuous: return "thin";
        case kLineDash: return "dashed";
        case kLineDot: return "dotted";
        case kLineDouble: return "double";
        case kLineDashDot: return "dashDot";
        case kLineDashDotDot: return "dashDotDot";
        case kLineSlantDashDot: return "slantDashDot";
        default: return nullptr;
    }
}

const char* AlignName(int a) {
    switch (a) {
        case kAlignGeneral: return "";
        case kAlignLeft: case kAlignLeftLong: return "left";
        case kAlignCenter: case kAlignCenterLong: return "center";
        case kAlignRight: case kAlignRightLong: return "right";
        case kAlignFill: return "fill";
        case kAlignJustify: case -4130: return "justify";
        case kAlignCenterAcross: return "centerContinuous";
        case -4117: return "distributed";
        default: return nullptr;
    }
}

const char* BuiltinNumFmt(int id) {
    switch (id) {
        case 0: return "General";
        case 1: return "0";
        case 2: return "0.00";
        case 3: return "#,##0";
        case 4: return "#,##0.00";
        case 9: return "0%";
        case 10: return "0.00%";
        case 14: return "mm-dd-yy";
        case 49: return "@";
        default: return nullptr;
    }
}

// ---------------------------------------------------------------------------------------
// The style sheet: fonts, fills, borders and cell formats, shared by the sheet's cells.
// A change to a cell's format makes (or finds) a cell format that differs from the old one
// in that one respect.
struct Styles {
    pugi::xml_document doc;
    pugi::xml_node root, numFmts, fonts, fills, borders, cellXfs;
    std::map<std::string, int> fontIdx, fillIdx, borderIdx, xfIdx;
    std::map<std::pair<int, std::string>, int> derived;

    void Load(const std::string& text) {
        LoadXml(doc, text, "styles");
        root = doc.child("styleSheet");
        if (!root) throw Error("Повреждена часть книги styles");
        numFmts = root.child("numFmts");
        fonts = ChildInOrder(root, "fonts", kStylesOrder);
        fills = ChildInOrder(root, "fills", kStylesOrder);
        borders = ChildInOrder(root, "borders", kStylesOrder);
        cellXfs = ChildInOrder(root, "cellXfs", kStylesOrder);
        if (!fonts.child("font")) {
            pugi::xml_node f = fonts.append_child("font");
            f.append_child("sz").append_attribute("val") = "11";
            f.append_child("name").append_attribute("val") = "Calibri";
        }
        if (!fills.child("fill")) {
            fills.append_child("fill").append_child("patternFill").append_attribute("patternType") = "none";
            fills.append_child("fill").append_child("patternFill").append_attribute("patternType") = "gray125";
        }
        if (!borders.child("border")) {
            pugi::xml_node b = borders.append_child("border");
            for (const char* s : {"left", "right", "top", "bottom", "diagonal"}) b.append_child(s);
        }
        if (!cellXfs.child("xf")) {
            pugi::xml_node x = cellXfs.append_child("xf");
            for (const char* a : {"numFmtId", "fontId", "fillId", "borderId", "xfId"}) x.append_attribute(a) = "0";
        }
        Index(fonts, "font", fontIdx);
        Index(fills, "fill", fillIdx);
        Index(borders, "border", borderIdx);
        Index(cellXfs, "xf", xfIdx);
    }

    static void Index(pugi::xml_node list, const char* name, std::map<std::string, int>& idx) {
        int i = 0;
        for (pugi::xml_node n = list.child(name); n; n = n.next_sibling(name), ++i) idx.emplace(Serialize(n), i);
    }

    static pugi::xml_node Nth(pugi::xml_node list, const char* name, int i) {
        int k = 0;
        for (pugi::xml_node n = list.child(name); n; n = n.next_sibling(name), ++k)
            if (k == i) return n;
        return pugi::xml_node();
    }

    // Finds an element equal to `node` in list, or appends a copy; returns its index.
    static int FindOrAdd(pugi::xml_node list, const char* name, std::map<std::string, int>& idx,
                         const pugi::xml_node& node) {
        const std::string key = Serialize(node);
        auto it = idx.find(key);
        if (it != idx.end()) return it->second;
        int count = 0;
        for (pugi::xml_node n = list.child(name); n; n = n.next_sibling(name)) ++count;
        list.append_copy(node);
        idx.emplace(key, count);
        return count;
    }

    pugi::xml_node Xf(int i) const {
        pugi::xml_node x = Nth(cellXfs, "xf", i);
        return x ? x : cellXfs.child("xf");
    }

    // Derives a cell format from xf; `change` edits a copy of the xf node (and may add
    // fonts, fills, borders). Results are remembered by (xf, key).
    int Derive(int xf, const std::string& key, const std::function<void(pugi::xml_node)>& change) {
        auto it = derived.find({xf, key});
        if (it != derived.end()) return it->second;
        pugi::xml_document scratch;
        pugi::xml_node copy = scratch.append_copy(Xf(xf));
        change(copy);
        const int result = FindOrAdd(cellXfs, "xf", xfIdx, copy);
        derived[{xf, key}] = result;
        return result;
    }

    // A component (font, fill, border) of xf edited by `edit`; returns the component index.
    int Component(pugi::xml_node xf, const char* idAttr, pugi::xml_node list, const char* name,
                  std::map<std::string, int>& idx, const std::function<void(pugi::xml_node)>& edit) {
        pugi::xml_node old = Nth(list, name, xf.attribute(idAttr).as_int(0));
        if (!old) old = list.child(name);
        pugi::xml_document scratch;
        pugi::xml_node copy = scratch.append_copy(old);
        edit(copy);
        return FindOrAdd(list, name, idx, copy);
    }

    static void SetAttr(pugi::xml_node n, const char* name, const std::string& value) {
        pugi::xml_attribute a = n.attribute(name);
        if (!a) a = n.append_attribute(name);
        a.set_value(value.c_str());
    }

    int WithFont(int xf, const std::string& key, const std::function<void(pugi::xml_node)>& edit) {
        return Derive(xf, "font:" + key, [&](pugi::xml_node x) {
            const int id = Component(x, "fontId", fonts, "font", fontIdx, edit);
            SetAttr(x, "fontId", std::to_string(id));
            SetAttr(x, "applyFont", "1");
        });
    }
    int WithFill(int xf, uint32_t rgb) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "FF%06X", unsigned(rgb & 0xFFFFFF));
        return Derive(xf, std::string("fill:") + hex, [&](pugi::xml_node x) {
            pugi::xml_document scratch;
            pugi::xml_node f = scratch.append_child("fill");
            pugi::xml_node p = f.append_child("patternFill");
            p.append_attribute("patternType") = "solid";
            p.append_child("fgColor").append_attribute("rgb") = hex;
            p.append_child("bgColor").append_attribute("indexed") = "64";
            const int id = FindOrAdd(fills, "fill", fillIdx, f);
            SetAttr(x, "fillId", std::to_string(id));
            SetAttr(x, "applyFill", "1");
        });
    }
    int WithBorderSide(int xf, const char* side, const char* style) {
        return Derive(xf, std::string("border:") + side + ":" + style, [&](pugi::xml_node x) {
            const int id = Component(x, "borderId", borders, "border", borderIdx, [&](pugi::xml_node b) {
                pugi::xml_node s = ChildInOrder(b, side, kBorderOrder);
                s.remove_attribute("style");
                while (s.first_child()) s.remove_child(s.first_child());
                if (*style) {
                    s.append_attribute("style") = style;
                    s.append_child("color").append_attribute("indexed") = "64";
                }
                // Every side is present, in the order the format requires.
                for (const char* nm : {"left", "right", "top", "bottom", "diagonal"}) ChildInOrder(b, nm, kBorderOrder);
            });
            SetAttr(x, "borderId", std::to_string(id));
            SetAttr(x, "applyBorder", "1");
        });
    }
    int WithAlignment(int xf, const char* attr, const std::string& value) {
        return Derive(xf, std::string("align:") + attr + ":" + value, [&](pugi::xml_node x) {
            pugi::xml_node a = ChildInOrder(x, "alignment", kXfOrder);
            a.remove_attribute(attr);
            if (!value.empty()) a.append_attribute(attr) = value.c_str();
            if (!a.first_attribute()) x.remove_child(a);
            SetAttr(x, "applyAlignment", "1");
        });
    }
    int WithNumberFormat(int xf, const std::string& code) {
        return Derive(xf, "numfmt:" + code, [&](pugi::xml_node x) {
            int id = -1;
            for (int b = 0; b < 50; ++b)
                if (const char* c = BuiltinNumFmt(b); c && code == c) id = b;
            if (id < 0) {
                numFmts = ChildInOrder(root, "numFmts", kStylesOrder);
                int maxId = 163;
                for (pugi::xml_node n = numFmts.child("numFmt"); n; n = n.next_sibling("numFmt")) {
                    const int nid = n.attribute("numFmtId").as_int();
                    if (code == n.attribute("formatCode").value()) id = nid;
                    maxId = std::max(maxId, nid);
                }
                if (id < 0) {
                    id = maxId + 1;
                    pugi::xml_node n = numFmts.append_child("numFmt");
                    n.append_attribute("numFmtId") = id;
                    n.append_attribute("formatCode") = code.c_str();
                }
            }
            SetAttr(x, "numFmtId", std::to_string(id));
            SetAttr(x, "applyNumberFormat", "1");
        });
    }

    CellFormat Describe(int xf) const {
        CellFormat f;
        pugi::xml_node x = Xf(xf);
        pugi::xml_node font = Nth(fonts, "font", x.attribute("fontId").as_int(0));
        f.fontName = font.child("name").attribute("val").value();
        f.fontSize = font.child("sz").attribute("val").as_double(0);
        pugi::xml_node b = font.child("b");
        f.bold = b && b.attribute("val").as_bool(true);
        pugi::xml_node border = Nth(borders, "border", x.attribute("borderId").as_int(0));
        f.left = border.child("left").attribute("style").value();
        f.right = border.child("right").attribute("style").value();
        f.top = border.child("top").attribute("style").value();
        f.bottom = border.child("bottom").attribute("style").value();
        pugi::xml_node pf = Nth(fills, "fill", x.attribute("fillId").as_int(0)).child("patternFill");
        if (std::string(pf.attribute("patternType").value()) == "solid") {
            f.filled = true;
            const std::string rgb = pf.child("fgColor").attribute("rgb").value();
            f.fillRgb = uint32_t(std::strtoul(rgb.size() > 6 ? rgb.substr(rgb.size() - 6).c_str() : rgb.c_str(), nullptr, 16));
        }
        pugi::xml_node al = x.child("alignment");
        f.horizontal = al.attribute("horizontal").value();
        f.wrapText = al.attribute("wrapText").as_bool(false);
        const int nf = x.attribute("numFmtId").as_int(0);
        if (const char* c = BuiltinNumFmt(nf)) f.numberFormat = c;
        for (pugi::xml_node n = numFmts.child("numFmt"); n; n = n.next_sibling("numFmt"))
            if (n.attribute("numFmtId").as_int() == nf) f.numberFormat = n.attribute("formatCode").value();
        return f;
    }

    std::string Text() {
        auto count = [](pugi::xml_node list, const char* name) {
            if (!list) return;
            int n = 0;
            for (pugi::xml_node c = list.child(name); c; c = c.next_sibling(name)) ++n;
            pugi::xml_attribute a = list.attribute("count");
            if (!a) a = list.append_attribute("count");
            a = n;
        };
        numFmts = root.child("numFmts");
        count(numFmts, "numFmt");
        count(fonts, "font");
        count(fills, "fill");
        count(borders, "border");
        count(cellXfs, "xf");
        return DocText(doc);
    }
};

const char* const kNewStyles =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<fonts count="1"><font><sz val="11"/><color theme="1"/><name val="Calibri"/><family val="2"/><charset val="204"/></font></fonts>)"
    R"(<fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills>)"
    R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
    R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>)"
    R"(<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs>)"
    R"(<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>)"
    R"(<dxfs count="0"/><tableStyles count="0"/>)"
    R"(</styleSheet>)";

const char* const kNewContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
    R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
    R"(<Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
    R"(</Types>)";

const char* const kNewRootRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>)"
    R"(</Relationships>)";

const char* const kNewWorkbook =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<bookViews><workbookView activeTab="0"/></bookViews>)"
    R"(<sheets><sheet name="Лист1" sheetId="1" r:id="rId1"/></sheets>)"
    R"(<calcPr calcId="0"/>)"
    R"(</workbook>)";

const char* const kNewWorkbookRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(</Relationships>)";

const char* const kNewSheet =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
    R"(<dimension ref="A1"/><sheetViews><sheetView workbookViewId="0"/></sheetViews>)"
    R"(<sheetFormatPr defaultRowHeight="15"/><sheetData/>)"
    R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>)"
    R"(</worksheet>)";

struct Rect {
    int r1, c1, r2, c2;
    bool Contains(int r, int c) const { return r >= r1 && r <= r2 && c >= c1 && c <= c2; }
    bool Overlaps(const Rect& o) const { return !(o.r2 < r1 || o.r1 > r2 || o.c2 < c1 || o.c1 > c2); }
};

// Text of a cell as the sheet's XML holds it: markup characters escaped.
void AppendEscaped(std::string& out, const std::string& text) {
    for (char ch : text) {
        switch (ch) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out.push_back(ch);
        }
    }
}

// Marks the place of the streamed rows while the rest of the sheet is written.
constexpr const char* kStreamMark = "qvr-streamed-rows";

}  // namespace

// ---------------------------------------------------------------------------------------
// Addresses.

std::string ColumnName(int column) {
    if (column < 1 || column > kMaxColumns) return "";
    std::string s;
    while (column > 0) {
        const int d = (column - 1) % 26;
        s.insert(s.begin(), char('A' + d));
        column = (column - 1) / 26;
    }
    return s;
}

std::string CellAddress(int row, int column) { return ColumnName(column) + std::to_string(row); }

namespace {
bool ParseCell(const std::string& s, int& row, int& col) {
    size_t i = 0;
    if (i < s.size() && s[i] == '$') ++i;
    long c = 0;
    size_t letters = 0;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) {
        c = c * 26 + (std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
        if (++letters > 3) return false;
        ++i;
    }
    if (letters == 0) return false;
    if (i < s.size() && s[i] == '$') ++i;
    long r = 0;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
        r = r * 10 + (s[i] - '0');
        if (++digits > 7) return false;
        ++i;
    }
    if (digits == 0 || i != s.size()) return false;
    if (r < 1 || r > kMaxRows || c < 1 || c > kMaxColumns) return false;
    row = int(r);
    col = int(c);
    return true;
}
}  // namespace

bool ParseAddress(const std::string& address, int& row1, int& col1, int& row2, int& col2) {
    const size_t colon = address.find(':');
    int r1, c1, r2, c2;
    if (colon == std::string::npos) {
        if (!ParseCell(address, r1, c1)) return false;
        r2 = r1;
        c2 = c1;
    } else {
        if (!ParseCell(address.substr(0, colon), r1, c1) || !ParseCell(address.substr(colon + 1), r2, c2))
            return false;
    }
    row1 = std::min(r1, r2);
    row2 = std::max(r1, r2);
    col1 = std::min(c1, c2);
    col2 = std::max(c1, c2);
    return true;
}

// ---------------------------------------------------------------------------------------
// The sheet.

struct Worksheet::Impl {
    std::string partName;
    std::string name;
    pugi::xml_document doc;
    pugi::xml_node root, sheetData;
    std::map<int, pugi::xml_node> rows;
    std::map<int, std::map<int, pugi::xml_node>> cells;
    std::vector<Rect> merged;
    Styles* styles = nullptr;
    const std::vector<std::string>* sharedStrings = nullptr;

    // Rows made while the sheet is written, all of their cells in one format.
    struct Stream {
        Rect area;
        int style = 0;
        std::function<void(int, RowWriter&)> make;
    };
    std::optional<Stream> stream;

    bool Streamed(int r) const { return stream && r >= stream->area.r1 && r <= stream->area.r2; }

    void Load(const std::string& text) {
        LoadXml(doc, text, partName);
        root = doc.child("worksheet");
        if (!root) throw Error("Повреждена часть книги " + partName);
        sheetData = ChildInOrder(root, "sheetData", kSheetOrder);
        int lastRow = 0;
        for (pugi::xml_node r = sheetData.child("row"); r; r = r.next_sibling("row")) {
            int rn = r.attribute("r").as_int(lastRow + 1);
            if (rn < 1 || rn > kMaxRows) throw Error("Повреждена часть книги " + partName);
            if (!r.attribute("r")) r.append_attribute("r") = rn;
            lastRow = rn;
            rows[rn] = r;
            int lastCol = 0;
            for (pugi::xml_node c = r.child("c"); c; c = c.next_sibling("c")) {
                int row = rn, col = lastCol + 1;
                if (pugi::xml_attribute a = c.attribute("r")) {
                    if (!ParseCell(a.value(), row, col) || row != rn)
                        throw Error("Повреждена часть книги " + partName);
                } else {
                    if (col > kMaxColumns) throw Error("Повреждена часть книги " + partName);
                    c.append_attribute("r") = CellAddress(rn, col).c_str();
                }
                lastCol = col;
                cells[rn][col] = c;
            }
        }
        for (pugi::xml_node m = root.child("mergeCells").child("mergeCell"); m; m = m.next_sibling("mergeCell")) {
            Rect rc;
            if (ParseAddress(m.attribute("ref").value(), rc.r1, rc.c1, rc.r2, rc.c2)) merged.push_back(rc);
        }
    }

    pugi::xml_node Row(int r, bool create) {
        auto it = rows.find(r);
        if (it != rows.end()) return it->second;
        if (!create) return pugi::xml_node();
        if (Streamed(r)) throw Error("Строка " + std::to_string(r) + " записывается потоком");
        auto next = rows.upper_bound(r);
        pugi::xml_node n = next == rows.end() ? sheetData.append_child("row")
                                              : sheetData.insert_child_before("row", next->second);
        n.append_attribute("r") = r;
        rows[r] = n;
        return n;
    }

    int ColumnStyle(int c) const {
        for (pugi::xml_node n = root.child("cols").child("col"); n; n = n.next_sibling("col"))
            if (c >= n.attribute("min").as_int() && c <= n.attribute("max").as_int())
                return n.attribute("style").as_int(0);
        return 0;
    }

    pugi::xml_node Cell(int r, int c, bool create) {
        auto rit = cells.find(r);
        if (rit != cells.end()) {
            auto cit = rit->second.find(c);
            if (cit != rit->second.end()) return cit->second;
        }
        if (!create) return pugi::xml_node();
        pugi::xml_node row = Row(r, true);
        auto& rowCells = cells[r];
        auto next = rowCells.upper_bound(c);
        pugi::xml_node n = next == rowCells.end() ? row.append_child("c") : row.insert_child_before("c", next->second);
        n.append_attribute("r") = CellAddress(r, c).c_str();
        // A new cell takes the format of its row or, failing that, of its column.
        int style = 0;
        if (row.attribute("customFormat").as_bool(false))
            style = row.attribute("s").as_int(0);
        else
            style = ColumnStyle(c);
        if (style) n.append_attribute("s") = style;
        rowCells[c] = n;
        return n;
    }

    static int StyleOf(pugi::xml_node cell) { return cell.attribute("s").as_int(0); }
    static void SetStyle(pugi::xml_node cell, int s) {
        pugi::xml_attribute a = cell.attribute("s");
        if (s == 0) {
            if (a) cell.remove_attribute(a);
            return;
        }
        if (!a) a = cell.append_attribute("s");
        a = s;
    }

    bool Covered(int r, int c) const {
        for (const Rect& m : merged)
            if (m.Contains(r, c) && !(r == m.r1 && c == m.c1)) return true;
        return false;
    }

    static void ClearContent(pugi::xml_node cell) {
        cell.remove_attribute("t");
        while (pugi::xml_node ch = cell.first_child()) cell.remove_child(ch);
    }

    void SetText(int r, int c, const std::string& text) {
        pugi::xml_node cell = Cell(r, c, true);
        ClearContent(cell);
        cell.append_attribute("t") = "inlineStr";
        pugi::xml_node t = cell.append_child("is").append_child("t");
        const std::string safe = XmlSafe(text);
        if (!safe.empty() && (safe.front() == ' ' || safe.back() == ' ' || safe.find('\n') != std::string::npos))
            t.append_attribute("xml:space") = "preserve";
        t.text().set(safe.c_str());
    }

    void SetNumber(int r, int c, const std::string& text) {
        pugi::xml_node cell = Cell(r, c, true);
        ClearContent(cell);
        cell.append_child("v").text().set(text.c_str());
    }

    // Applies a format change to every cell of the rectangle; the streamed rows share one
    // format, so a change reaches them only as a whole.
    void Restyle(const Rect& rc, const std::function<int(int)>& derive) {
        if (stream && rc.r1 <= stream->area.r2 && rc.r2 >= stream->area.r1) {
            const Rect& a = stream->area;
            if (rc.r1 > a.r1 || rc.r2 < a.r2 || rc.c1 != a.c1 || rc.c2 != a.c2)
                throw Error("Формат строк, записываемых потоком, задается всей их области");
            stream->style = derive(stream->style);
        }
        for (int r = rc.r1; r <= rc.r2; ++r) {
            if (Streamed(r)) {
                r = stream->area.r2;
                continue;
            }
            for (int c = rc.c1; c <= rc.c2; ++c) {
                pugi::xml_node cell = Cell(r, c, true);
                SetStyle(cell, derive(StyleOf(cell)));
            }
        }
    }

    void CheckRect(const Rect& rc) const {
        if (rc.r1 < 1 || rc.c1 < 1 || rc.r2 > kMaxRows || rc.c2 > kMaxColumns || rc.r1 > rc.r2 || rc.c1 > rc.c2)
            throw Error("Ячейка вне листа");
        // Formats are set cell by cell (the streamed rows at once); a whole column or row is
        // far more than the layer is meant for.
        int64_t rowCount = rc.r2 - rc.r1 + 1;
        if (stream) rowCount -= std::max(0, std::min(rc.r2, stream->area.r2) - std::max(rc.r1, stream->area.r1) + 1);
        if (rowCount * (rc.c2 - rc.c1 + 1) > 4'000'000) throw Error("Слишком большой диапазон");
    }

    void SetColumnWidth(int c, double chars) {
        pugi::xml_node cols = ChildInOrder(root, "cols", kSheetOrder);
        const double stored = std::trunc((chars * kDigitPx + kPaddingPx) / kDigitPx * 256.0) / 256.0;
        pugi::xml_node hit;
        for (pugi::xml_node n = cols.child("col"); n; n = n.next_sibling("col")) {
            const int lo = n.attribute("min").as_int(), hi = n.attribute("max").as_int();
            if (c < lo || c > hi) continue;
            if (lo < c) {
                pugi::xml_node before = cols.insert_copy_before(n, n);
                before.attribute("max") = c - 1;
            }
            if (hi > c) {
                pugi::xml_node after = cols.insert_copy_after(n, n);
                after.attribute("min") = c + 1;
            }
            n.attribute("min") = c;
            n.attribute("max") = c;
            hit = n;
            break;
        }
        if (!hit) {
            pugi::xml_node next;
            for (pugi::xml_node n = cols.child("col"); n; n = n.next_sibling("col"))
                if (n.attribute("min").as_int() > c) {
                    next = n;
                    break;
                }
            hit = next ? cols.insert_child_before("col", next) : cols.append_child("col");
            hit.append_attribute("min") = c;
            hit.append_attribute("max") = c;
        }
        Styles::SetAttr(hit, "width", NumberText(stored));
        Styles::SetAttr(hit, "customWidth", "1");
    }

    double ColumnWidth(int c) const {
        for (pugi::xml_node n = root.child("cols").child("col"); n; n = n.next_sibling("col"))
            if (c >= n.attribute("min").as_int() && c <= n.attribute("max").as_int() && n.attribute("width")) {
                const double w = n.attribute("width").as_double();
                return std::round((w * kDigitPx - kPaddingPx) / kDigitPx * 100.0) / 100.0;
            }
        return 0;
    }

    void SetRowHeight(int r, double points) {
        pugi::xml_node row = Row(r, true);
        Styles::SetAttr(row, "ht", NumberText(points));
        Styles::SetAttr(row, "customHeight", "1");
    }

    void AddMerge(const Rect& rc) {
        for (const Rect& m : merged)
            if (rc.Overlaps(m)) throw Error("Области объединения пересекаются");
        if (stream && rc.Overlaps(stream->area)) throw Error("Строки, записываемые потоком, не объединяются");
        merged.push_back(rc);
        pugi::xml_node mc = ChildInOrder(root, "mergeCells", kSheetOrder);
        const std::string ref = CellAddress(rc.r1, rc.c1) + ":" + CellAddress(rc.r2, rc.c2);
        mc.append_child("mergeCell").append_attribute("ref") = ref.c_str();
        mc.remove_attribute("count");
        mc.append_attribute("count") = int(merged.size());
    }

    std::string UsedArea() const {
        int r1 = 0, r2 = 0, c1 = 0, c2 = 0;
        for (const auto& [r, row] : cells) {
            if (row.empty()) continue;
            if (!r1) r1 = r;
            r2 = r;
            const int lo = row.begin()->first, hi = row.rbegin()->first;
            if (!c1 || lo < c1) c1 = lo;
            if (hi > c2) c2 = hi;
        }
        if (stream) {
            const Rect& a = stream->area;
            r1 = r1 ? std::min(r1, a.r1) : a.r1;
            r2 = std::max(r2, a.r2);
            c1 = c1 ? std::min(c1, a.c1) : a.c1;
            c2 = std::max(c2, a.c2);
        }
        if (!r1) return "";
        if (r1 == r2 && c1 == c2) return CellAddress(r1, c1);
        return CellAddress(r1, c1) + ":" + CellAddress(r2, c2);
    }

    std::string DomText() {
        // The used area goes into the dimension element.
        pugi::xml_node dim = ChildInOrder(root, "dimension", kSheetOrder);
        const std::string used = UsedArea();
        Styles::SetAttr(dim, "ref", used.empty() ? "A1" : used);
        // Rows carry no stale span hints.
        for (auto& [r, row] : rows) row.remove_attribute("spans");
        if (pugi::xml_node cols = root.child("cols"); cols && !cols.child("col")) root.remove_child(cols);
        return DocText(doc);
    }

    // The sheet's XML around the streamed rows: what comes before them and after them.
    void Split(std::string& head, std::string& tail) {
        auto next = rows.upper_bound(stream->area.r2);
        pugi::xml_node mark = next == rows.end() ? sheetData.append_child(pugi::node_comment)
                                                 : sheetData.insert_child_before(pugi::node_comment, next->second);
        mark.set_value(kStreamMark);
        std::string text = DomText();
        sheetData.remove_child(mark);
        const std::string marked = std::string("<!--") + kStreamMark + "-->";
        const size_t at = text.find(marked);
        if (at == std::string::npos) throw Error("Не удалось записать лист");
        head = text.substr(0, at);
        tail = text.substr(at + marked.size());
    }

    // Makes the streamed rows one by one; each row's XML goes to `out`, written as the
    // cells of the same texts and format would be.
    void WriteRows(const std::function<void(const std::string&)>& out) {
        const Rect& a = stream->area;
        std::vector<std::string> names;
        for (int c = a.c1; c <= a.c2; ++c) names.push_back(ColumnName(c));
        const std::string style = stream->style ? " s=\"" + std::to_string(stream->style) + "\"" : "";
        RowWriter cells;
        cells.first_ = a.c1;
        cells.texts_.resize(names.size());
        cells.set_.resize(names.size());
        std::string xml;
        for (int r = a.r1; r <= a.r2; ++r) {
            std::fill(cells.set_.begin(), cells.set_.end(), 0);
            stream->make(r, cells);
            const std::string rn = std::to_string(r);
            xml.clear();
            xml += "<row r=\"" + rn + "\">";
            for (size_t i = 0; i < names.size(); ++i) {
                xml += "<c r=\"";
                xml += names[i];
                xml += rn;
                xml += '"';
                xml += style;
                if (!cells.set_[i]) {
                    xml += "/>";
                    continue;
                }
                const std::string& t = cells.texts_[i];
                xml += " t=\"inlineStr\"><is><t";
                if (!t.empty() && (t.front() == ' ' || t.back() == ' ' || t.find('\n') != std::string::npos))
                    xml += " xml:space=\"preserve\"";
                xml += '>';
                AppendEscaped(xml, t);
                xml += "</t></is></c>";
            }
            xml += "</row>";
            out(xml);
        }
    }

    // The whole sheet's XML, the streamed rows in their place, piece by piece to `out`.
    void Write(const std::function<void(const std::string&)>& out) {
        std::string head, tail;
        Split(head, tail);
        out(head);
        WriteRows(out);
        out(tail);
    }

    std::string Text() {
        if (!stream) return DomText();
        std::string text;
        Write([&](const std::string& piece) { text += piece; });
        return text;
    }

    CellValue Read(int r, int c) const {
        CellValue v;
        auto rit = cells.find(r);
        if (rit == cells.end()) return v;
        auto cit = rit->second.find(c);
        if (cit == rit->second.end()) return v;
        pugi::xml_node cell = cit->second;
        v.formula = cell.child("f").text().get();
        const std::string t = cell.attribute("t").value();
        if (t == "inlineStr") {
            v.kind = CellValue::Text;
            pugi::xpath_node_set ts = cell.child("is").select_nodes(".//*[local-name()='t']");
            for (const auto& x : ts) v.text += x.node().text().get();
            return v;
        }
        pugi::xml_node vn = cell.child("v");
        if (!vn) return v;
        const std::string raw = vn.text().get();
        if (t == "s") {
            v.kind = CellValue::Text;
            const long i = std::strtol(raw.c_str(), nullptr, 10);
            if (sharedStrings && i >= 0 && size_t(i) < sharedStrings->size()) v.text = (*sharedStrings)[size_t(i)];
        } else if (t == "str") {
            v.kind = CellValue::Text;
            v.text = raw;
        } else if (t == "b") {
            v.kind = CellValue::Boolean;
            v.number = raw == "1" ? 1 : 0;
            v.text = raw;
        } else if (t == "e") {
            v.kind = CellValue::ErrorValue;
            v.text = raw;
        } else {
            v.kind = CellValue::Number;
            v.text = raw;
            v.number = std::strtod(raw.c_str(), nullptr);
        }
        return v;
    }
};

Worksheet::Worksheet(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Worksheet::~Worksheet() = default;

CellRange Worksheet::Cells(int row, int column) {
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) throw Error("Ячейка вне листа");
    return CellRange(this, row, column, row, column);
}

CellRange Worksheet::Range(const std::string& address) {
    int r1, c1, r2, c2;
    if (!ParseAddress(address, r1, c1, r2, c2)) throw Error("Неверный адрес диапазона " + address);
    return CellRange(this, r1, c1, r2, c2);
}

CellRange Worksheet::Range(const CellRange& first, const CellRange& last) {
    return CellRange(this, std::min(first.Row1(), last.Row1()), std::min(first.Col1(), last.Col1()),
                     std::max(first.Row2(), last.Row2()), std::max(first.Col2(), last.Col2()));
}

CellRange Worksheet::Columns(int column) {
    if (column < 1 || column > kMaxColumns) throw Error("Столбец вне листа");
    return CellRange(this, 1, column, kMaxRows, column);
}

CellRange Worksheet::Rows(int row) {
    if (row < 1 || row > kMaxRows) throw Error("Строка вне листа");
    return CellRange(this, row, 1, row, kMaxColumns);
}

CellRange Worksheet::StreamRows(int row1, int col1, int row2, int col2,
                                std::function<void(int row, RowWriter& cells)> make) {
    auto& s = *impl_;
    const Rect a{row1, col1, row2, col2};
    if (a.r1 < 1 || a.c1 < 1 || a.r2 > kMaxRows || a.c2 > kMaxColumns || a.r1 > a.r2 || a.c1 > a.c2)
        throw Error("Ячейка вне листа");
    if (s.stream) throw Error("Лист уже записывает строки потоком");
    auto held = s.rows.lower_bound(a.r1);
    if (held != s.rows.end() && held->first <= a.r2) throw Error("Строка " + std::to_string(held->first) + " уже заполнена");
    for (const Rect& m : s.merged)
        if (a.Overlaps(m)) throw Error("Строки, записываемые потоком, не объединяются");
    s.stream = Worksheet::Impl::Stream{a, 0, std::move(make)};
    return CellRange(this, a.r1, a.c1, a.r2, a.c2);
}

void RowWriter::Value(int column, const std::string& text) {
    const int i = column - first_;
    if (i < 0 || size_t(i) >= texts_.size()) throw Error("Ячейка вне листа");
    texts_[size_t(i)] = XmlSafe(text);
    set_[size_t(i)] = 1;
}

std::string Worksheet::Name() const { return impl_->name; }
double Worksheet::ColumnWidthOf(int column) const { return impl_->ColumnWidth(column); }
double Worksheet::RowHeightOf(int row) const {
    auto it = impl_->rows.find(row);
    if (it == impl_->rows.end()) return 0;
    return it->second.attribute("ht").as_double(0);
}
std::string Worksheet::UsedArea() const { return impl_->UsedArea(); }
std::vector<std::string> Worksheet::MergedAreas() const {
    std::vector<std::string> out;
    for (const Rect& m : impl_->merged) out.push_back(CellAddress(m.r1, m.c1) + ":" + CellAddress(m.r2, m.c2));
    return out;
}

// ---------------------------------------------------------------------------------------
// Ranges.

CellRange::CellRange(Worksheet* sheet, int row1, int col1, int row2, int col2) : a_{sheet, row1, col1, row2, col2} {}

std::string CellRange::Address() const {
    if (a_.r1 == a_.r2 && a_.c1 == a_.c2) return CellAddress(a_.r1, a_.c1);
    return CellAddress(a_.r1, a_.c1) + ":" + CellAddress(a_.r2, a_.c2);
}

void CellRange::Value(const std::string& text) {
    auto& s = *a_.sheet->impl_;
    s.CheckRect({a_.r1, a_.c1, a_.r2, a_.c2});
    for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c)
            if (!s.Covered(r, c)) s.SetText(r, c, text);
}

void CellRange::Value(double number) {
    if (!std::isfinite(number)) return Value(std::string("NAN"));
    auto& s = *a_.sheet->impl_;
    s.CheckRect({a_.r1, a_.c1, a_.r2, a_.c2});
    const std::string text = NumberText(number);
    for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c)
            if (!s.Covered(r, c)) s.SetNumber(r, c, text);
}

void CellRange::Value(float number) {
    if (!std::isfinite(number)) return Value(std::string("NAN"));
    auto& s = *a_.sheet->impl_;
    s.CheckRect({a_.r1, a_.c1, a_.r2, a_.c2});
    const std::string text = NumberText(number);
    for (int r = a_.r1; r <= a_.r2; ++r)
        for (int c = a_.c1; c <= a_.c2; ++c)
            if (!s.Covered(r, c)) s.SetNumber(r, c, text);
}

CellValue CellRange::Value() const { return a_.sheet->impl_->Read(a_.r1, a_.c1); }

CellFormat CellRange::Format() const {
    const auto& s = *a_.sheet->impl_;
    if (s.stream && s.stream->area.Contains(a_.r1, a_.c1)) return s.styles->Describe(s.stream->style);
    pugi::xml_node cell = a_.sheet->impl_->Cell(a_.r1, a_.c1, false);
    return s.styles->Describe(Worksheet::Impl::StyleOf(cell));
}

void FontRef::Name(const std::string& name) {
    auto& s = *a_.sheet->impl_;
    s.CheckRect({a_.r1, a_.c1, a_.r2, a_.c2});
    const std::string safe = XmlSafe(name);
    s.Restyle({a_.r1, a_.c1, a_.r2, a_.c2}, [&](int xf) {
        return s.styles->WithFont(xf, "name:" + safe, [&](pugi::xml_node f) {
            // A named font no longer follows the theme's font.
            f.remove_child("scheme");
            f.remove_child("family");
            Styles::SetAttr(ChildInOrder(f, "name", kFontOrder), "val", safe);
        });
    });
}

void FontRef::Size(double points) {
    if (!(points >= 1 && points <= 409)) throw Error("Недопустимый размер шрифта");
    auto& s = *a_.sheet->impl_;
    s.CheckRect({a_.r1, a_.c1, a_.r2, a_.c2});
    const std::string v = NumberText(points);
    s.Restyle({a_.r1, a_.c1, a_.r2, a_.c2}, [&](int xf) {
        return s.styles->WithFont(xf, "size:" + v, [&](pugi::xml_node f) {
            Styles::SetAttr(ChildInOrder(f, "sz", kFontOrder), "val", v);
        });
    });
}

void FontRef::Bold(bool bold) {
    auto& s = *a_.sheet->impl_;
    s.CheckRect({a_.r1, a_.c1, a_.r2, a_.c2});
    s.Restyle({a_.r1, a_.c1, a_.r2, a_.c2}, [&](int xf) {
        return s.styles->WithFont(xf, bold ? "bold:1" : "bold:0", [&](pugi::xml_node f) {
            f.remove_child("b");
            if (bold) ChildInOrder(f, "b", kFontOrder);
        });
    });
}

void BorderRef::LineStyle(int style) {
    const char* name = BorderStyleName(style);
    if (!name) throw Error("Недопустимый тип линии " + std::to_string(style));
    auto& s = *a_.sheet->impl_;
    const Rect rc{a_.r1, a_.c1, a_.r2, a_.c2};
    s.CheckRect(rc);
    auto side = [&](const Rect& area, const char* sideName) {
        if (area.r1 > area.r2 || area.c1 > area.c2) return;
        s.Restyle(area, [&](int xf) { return s.styles->WithBorderSide(xf, sideName, name); });
    };
    switch (item_) {
        case kBorderLeft: side(rc, "left"); break;
        case kBorderRight: side(rc, "right"); break;
        case kBorderTop: side(rc, "top"); break;
        case kBorderBottom: side(rc, "bottom"); break;
        case kEdgeLeft: side({rc.r1, rc.c1, rc.r2, rc.c1}, "left"); break;
        case kEdgeRight: side({rc.r1, rc.c2, rc.r2, rc.c2}, "right"); break;
        case kEdgeTop: side({rc.r1, rc.c1, rc.r1, rc.c2}, "top"); break;
        case kEdgeBottom: side({rc.r2, rc.c1, rc.r2, rc.c2}, "bottom"); break;
        case kInsideVertical:
            side({rc.r1, rc.c1, rc.r2, rc.c2 - 1}, "right");
            side({rc.r1, rc.c1 + 1, rc.r2, rc.c2}, "left");
            break;
        case kInsideHorizontal:
            side({rc.r1, rc.c1, rc.r2 - 1, rc.c2}, "bottom");
            side({rc.r1 + 1, rc.c1, rc.r2, rc.c2}, "top");
            break;
        default: throw Error("Недопустимый номер границы " + std::to_string(item_));
    }
}

void InteriorRef::Color(uint32_t bgr) {
    const uint32_t rgb = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
    auto& s = *a_.sheet->impl_;
    const Rect rc{a_.r1, a_.c1, a_.r2, a_.c2};
    s.CheckRect(rc);
    s.Restyle(rc, [&](int xf) { return s.styles->WithFill(xf, rgb); });
}

void CellRange::HorizontalAlignment(int align) {
    const char* name = AlignName(align);
    if (!name) throw Error("Недопустимое выравнивание " + std::to_string(align));
    auto& s = *a_.sheet->impl_;
    const Rect rc{a_.r1, a_.c1, a_.r2, a_.c2};
    s.CheckRect(rc);
    s.Restyle(rc, [&](int xf) { return s.styles->WithAlignment(xf, "horizontal", name); });
}

void CellRange::VerticalCenter() {
    auto& s = *a_.sheet->impl_;
    const Rect rc{a_.r1, a_.c1, a_.r2, a_.c2};
    s.CheckRect(rc);
    s.Restyle(rc, [&](int xf) { return s.styles->WithAlignment(xf, "vertical", "center"); });
}

void CellRange::WrapText(bool wrap) {
    auto& s = *a_.sheet->impl_;
    const Rect rc{a_.r1, a_.c1, a_.r2, a_.c2};
    s.CheckRect(rc);
    s.Restyle(rc, [&](int xf) { return s.styles->WithAlignment(xf, "wrapText", wrap ? "1" : ""); });
}

void CellRange::NumberFormat(const std::string& code) {
    auto& s = *a_.sheet->impl_;
    const Rect rc{a_.r1, a_.c1, a_.r2, a_.c2};
    s.CheckRect(rc);
    const std::string safe = XmlSafe(code);
    s.Restyle(rc, [&](int xf) { return s.styles->WithNumberFormat(xf, safe); });
}

void CellRange::ColumnWidth(double characters) {
    if (!(characters >= 0 && characters <= 255)) throw Error("Недопустимая ширина столбца");
    for (int c = a_.c1; c <= a_.c2; ++c) a_.sheet->impl_->SetColumnWidth(c, characters);
}

void CellRange::RowHeight(double points) {
    if (!(points >= 0 && points <= 409)) throw Error("Недопустимая высота строки");
    if (a_.r2 - a_.r1 > 100000) throw Error("Слишком большой диапазон");
    for (int r = a_.r1; r <= a_.r2; ++r) a_.sheet->impl_->SetRowHeight(r, points);
}

void CellRange::Merge() {
    if (a_.r1 == a_.r2 && a_.c1 == a_.c2) return;
    a_.sheet->impl_->AddMerge({a_.r1, a_.c1, a_.r2, a_.c2});
}

// ---------------------------------------------------------------------------------------
// Zip packages.

namespace {
struct ZipCloser {
    void operator()(zip_t* z) const {
        if (z) zip_discard(z);
    }
};
}  // namespace

std::map<std::string, std::string> ReadZipParts(const std::string& path) {
    std::vector<uint8_t> data;
    if (!ReadWholeFile(path, data)) throw Error("Не удалось открыть файл " + path);
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(data.data(), data.size(), 0, &err);
    if (!src) {
        zip_error_fini(&err);
        throw Error("Не удалось прочитать файл " + path);
    }
    std::unique_ptr<zip_t, ZipCloser> za(zip_open_from_source(src, ZIP_RDONLY, &err));
    if (!za) {
        zip_source_free(src);
        zip_error_fini(&err);
        throw Error("Файл " + path + " не является книгой .xlsx");
    }
    zip_error_fini(&err);
    std::map<std::string, std::string> parts;
    const zip_int64_t n = zip_get_num_entries(za.get(), 0);
    uint64_t total = 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(za.get(), zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            throw Error("Повреждена книга " + path);
        const std::string name = st.name;
        if (!name.empty() && name.back() == '/') continue;  // a folder entry
        total += st.size;
        if (total > kMaxUnpacked) throw Error("Книга " + path + " слишком велика");
        zip_file_t* f = zip_fopen_index(za.get(), zip_uint64_t(i), 0);
        if (!f) throw Error("Повреждена книга " + path);
        std::string bytes(size_t(st.size), '\0');
        zip_int64_t got = bytes.empty() ? 0 : zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
        if (got < 0 || zip_uint64_t(got) != st.size) throw Error("Повреждена книга " + path);
        parts[name] = std::move(bytes);
    }
    return parts;
}

namespace {
// A scratch file beside `path` for a sheet's streamed rows: created exclusively under a
// name made as a save's temporary is (so that it stays within the limit for one name
// however long the book's name is) and unlinked at once, so it is never seen under a name
// and goes with its last handle.
std::FILE* OpenScratchBeside(const std::string& path) {
    std::string name;
    const int fd = CreateTempFileBeside(path, name);
    if (fd < 0) throw Error("Не удалось записать файл " + path + ": " + std::strerror(errno));
    ::unlink(name.c_str());
    std::FILE* f = ::fdopen(fd, "w+b");
    if (!f) {
        ::close(fd);
        throw Error("Не удалось записать файл " + path);
    }
    return f;
}

struct ScratchFile {
    std::FILE* f = nullptr;
    ~ScratchFile() {
        if (f) std::fclose(f);
    }
};

// Packs the parts, in order, into zip bytes. The part named `filePart` is read from the
// file `file` instead (libzip takes the file over and sets `file` to null).
std::string PackZip(const std::vector<std::pair<std::string, std::string>>& parts, const std::string& filePart,
                    std::FILE*& file) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    if (!src) {
        zip_error_fini(&err);
        throw Error("Не удалось создать книгу");
    }
    zip_source_keep(src);
    zip_t* za = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    zip_error_fini(&err);
    if (!za) {
        zip_source_free(src);
        throw Error("Не удалось создать книгу");
    }
    for (const auto& [name, data] : parts) {
        zip_source_t* s = nullptr;
        const bool fromFile = file && name == filePart;
        if (fromFile) {
            s = zip_source_filep(za, file, 0, -1);
            if (s) file = nullptr;
        } else {
            s = zip_source_buffer(za, data.data(), data.size(), 0);
        }
        const zip_int64_t index = s ? zip_file_add(za, name.c_str(), s, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (s) zip_source_free(s);
            zip_discard(za);
            zip_source_free(src);
            throw Error("Не удалось создать книгу");
        }
        // A streamed sheet is long and made of a few repeated patterns: the fastest deflate
        // level packs it to about a tenth in a third of the time libzip's default takes.
        if (fromFile) zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(za) != 0) {
        zip_discard(za);
        zip_source_free(src);
        throw Error("Не удалось создать книгу");
    }
    std::string out;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(src, &st) == 0 && (st.valid & ZIP_STAT_SIZE) && zip_source_open(src) == 0) {
        out.resize(size_t(st.size));
        const zip_int64_t got = out.empty() ? 0 : zip_source_read(src, out.data(), st.size);
        zip_source_close(src);
        if (got < 0 || zip_uint64_t(got) != st.size) out.clear();
    }
    zip_source_free(src);
    if (out.empty()) throw Error("Не удалось создать книгу");
    return out;
}
}  // namespace

// ---------------------------------------------------------------------------------------
// Workbooks.

struct Workbook::Impl {
    Workbooks* owner = nullptr;
    std::string fullName;
    std::vector<std::pair<std::string, std::string>> parts;  // in package order
    std::string sheetPart, stylesPart, workbookPart = "xl/workbook.xml";
    Styles styles;
    std::vector<std::string> sharedStrings;
    std::unique_ptr<Worksheet> sheet;

    std::string* Part(const std::string& name) {
        for (auto& p : parts)
            if (p.first == name) return &p.second;
        return nullptr;
    }
    void SetPart(const std::string& name, std::string data) {
        if (std::string* p = Part(name))
            *p = std::move(data);
        else
            parts.emplace_back(name, std::move(data));
    }
    void RemovePart(const std::string& name) {
        parts.erase(std::remove_if(parts.begin(), parts.end(), [&](const auto& p) { return p.first == name; }),
                    parts.end());
    }

    static std::string RelsOf(const std::string& part) {
        const size_t slash = part.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
        const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
        return folder + "_rels/" + file + ".rels";
    }
    static std::string FolderOf(const std::string& part) {
        const size_t slash = part.rfind('/');
        return slash == std::string::npos ? "" : part.substr(0, slash + 1);
    }

    void Load() {
        // The main part of the package.
        const std::string* rootRels = Part("_rels/.rels");
        if (!rootRels) throw Error("Книга повреждена: нет _rels/.rels");
        pugi::xml_document rr;
        LoadXml(rr, *rootRels, "_rels/.rels");
        for (pugi::xml_node r = rr.child("Relationships").child("Relationship"); r; r = r.next_sibling("Relationship"))
            if (std::string(r.attribute("Type").value()).ends_with("/officeDocument"))
                workbookPart = ResolveTarget("", r.attribute("Target").value());
        const std::string* wbText = Part(workbookPart);
        if (!wbText) throw Error("Книга повреждена: нет " + workbookPart);
        pugi::xml_document wb;
        LoadXml(wb, *wbText, workbookPart);
        pugi::xml_node wbRoot = wb.child("workbook");
        const int active = wbRoot.child("bookViews").child("workbookView").attribute("activeTab").as_int(0);
        pugi::xml_node sheetEntry;
        int i = 0;
        for (pugi::xml_node s = wbRoot.child("sheets").child("sheet"); s; s = s.next_sibling("sheet"), ++i)
            if (i == active || !sheetEntry) sheetEntry = s;
        if (!sheetEntry) throw Error("Книга не содержит листов");
        const std::string sheetRid = sheetEntry.attribute("r:id").value();

        const std::string relsName = RelsOf(workbookPart);
        const std::string* relsText = Part(relsName);
        if (!relsText) throw Error("Книга повреждена: нет " + relsName);
        pugi::xml_document rels;
        LoadXml(rels, *relsText, relsName);
        std::string sstPart;
        for (pugi::xml_node r = rels.child("Relationships").child("Relationship"); r; r = r.next_sibling("Relationship")) {
            const std::string type = r.attribute("Type").value();
            const std::string target = ResolveTarget(FolderOf(workbookPart), r.attribute("Target").value());
            if (sheetRid == r.attribute("Id").value()) sheetPart = target;
            if (type.ends_with("/styles")) stylesPart = target;
            if (type.ends_with("/sharedStrings")) sstPart = target;
        }
        if (sheetPart.empty() || !Part(sheetPart)) throw Error("Книга повреждена: нет листа");

        if (stylesPart.empty() || !Part(stylesPart)) {
            // A package without a style sheet gets one.
            stylesPart = FolderOf(workbookPart) + "styles.xml";
            SetPart(stylesPart, kNewStyles);
            pugi::xml_node rs = rels.child("Relationships");
            int n = 1;
            std::string id;
            do id = "rId" + std::to_string(n++);
            while (rs.find_child_by_attribute("Relationship", "Id", id.c_str()));
            pugi::xml_node r = rs.append_child("Relationship");
            r.append_attribute("Id") = id.c_str();
            r.append_attribute("Type") = kRelStyles;
            r.append_attribute("Target") = stylesPart.substr(FolderOf(workbookPart).size()).c_str();
            SetPart(relsName, DocText(rels));
            if (std::string* ct = Part("[Content_Types].xml")) {
                pugi::xml_document d;
                LoadXml(d, *ct, "[Content_Types].xml");
                pugi::xml_node o = d.child("Types").append_child("Override");
                o.append_attribute("PartName") = ("/" + stylesPart).c_str();
                o.append_attribute("ContentType") = kCtStyles;
                *ct = DocText(d);
            }
        }
        styles.Load(*Part(stylesPart));

        if (!sstPart.empty())
            if (const std::string* sst = Part(sstPart)) {
                pugi::xml_document d;
                LoadXml(d, *sst, sstPart);
                for (pugi::xml_node si = d.child("sst").child("si"); si; si = si.next_sibling("si")) {
                    std::string text;
                    for (const auto& x : si.select_nodes(".//*[local-name()='t' and not(ancestor::rPh)]"))
                        text += x.node().text().get();
                    sharedStrings.push_back(std::move(text));
                }
            }

        auto impl = std::make_unique<Worksheet::Impl>();
        impl->partName = sheetPart;
        impl->name = sheetEntry.attribute("name").value();
        impl->styles = &styles;
        impl->sharedStrings = &sharedStrings;
        impl->Load(*Part(sheetPart));
        sheet.reset(new Worksheet(std::move(impl)));
    }

    // The parts as they are to be written: the sheet and the style sheet from their
    // models; formulas recalculated when the workbook is opened; no stale calculation chain.
    // A sheet with streamed rows goes into sheetFile, row by row, and its part stays empty.
    std::vector<std::pair<std::string, std::string>> Assemble(std::FILE* sheetFile) {
        Worksheet::Impl& ws = *sheet->impl_;
        if (ws.stream && sheetFile) {
            ws.Write([&](const std::string& text) {
                if (std::fwrite(text.data(), 1, text.size(), sheetFile) != text.size())
                    throw Error(std::string("Не удалось записать лист: ") + std::strerror(errno));
            });
            // libzip reads a stream from where it stands.
            if (std::fflush(sheetFile) != 0 || std::fseek(sheetFile, 0, SEEK_SET) != 0)
                throw Error(std::string("Не удалось записать лист: ") + std::strerror(errno));
            SetPart(sheetPart, std::string());
        } else {
            SetPart(sheetPart, ws.Text());
        }
        SetPart(stylesPart, styles.Text());

        if (std::string* wbText = Part(workbookPart)) {
            pugi::xml_document wb;
            LoadXml(wb, *wbText, workbookPart);
            pugi::xml_node calc = ChildInOrder(wb.child("workbook"), "calcPr", kWorkbookOrder);
            Styles::SetAttr(calc, "fullCalcOnLoad", "1");
            *wbText = DocText(wb);
        }
        const std::string relsName = RelsOf(workbookPart);
        if (std::string* relsText = Part(relsName)) {
            pugi::xml_document rels;
            LoadXml(rels, *relsText, relsName);
            pugi::xml_node rs = rels.child("Relationships");
            bool changed = false;
            for (pugi::xml_node r = rs.child("Relationship"); r;) {
                pugi::xml_node next = r.next_sibling("Relationship");
                if (std::string(r.attribute("Type").value()).ends_with("/calcChain")) {
                    RemovePart(ResolveTarget(FolderOf(workbookPart), r.attribute("Target").value()));
                    rs.remove_child(r);
                    changed = true;
                }
                r = next;
            }
            if (changed) {
                *relsText = DocText(rels);
                if (std::string* ct = Part("[Content_Types].xml")) {
                    pugi::xml_document d;
                    LoadXml(d, *ct, "[Content_Types].xml");
                    pugi::xml_node types = d.child("Types");
                    for (pugi::xml_node o = types.child("Override"); o;) {
                        pugi::xml_node next = o.next_sibling("Override");
                        if (std::string(o.attribute("ContentType").value()).find("calcChain") != std::string::npos)
                            types.remove_child(o);
                        o = next;
                    }
                    *ct = DocText(d);
                }
            }
        }
        // The content types come first in the package.
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& p : parts)
            if (p.first == "[Content_Types].xml") out.push_back(p);
        for (const auto& p : parts)
            if (p.first != "[Content_Types].xml") out.push_back(p);
        return out;
    }
};

Workbook::Workbook(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Workbook::~Workbook() = default;

Worksheet& Workbook::ActiveSheet() { return *impl_->sheet; }

void Workbook::SaveAs(const std::string& path) {
    ScratchFile sheetFile;
    if (impl_->sheet->impl_->stream) sheetFile.f = OpenScratchBeside(path);
    const std::string bytes = PackZip(impl_->Assemble(sheetFile.f), impl_->sheetPart, sheetFile.f);
    std::string error;
    if (!WriteFileAtomic(path, bytes, &error)) throw Error("Не удалось записать файл " + path + ": " + error);
    impl_->fullName = path;
}

void Workbook::Close() {
    Workbooks* owner = impl_->owner;
    auto& books = owner->books_;
    for (auto it = books.begin(); it != books.end(); ++it)
        if (it->get() == this) {
            books.erase(it);  // destroys *this
            return;
        }
}

const std::string& Workbook::FullName() const { return impl_->fullName; }

std::vector<std::string> Workbook::PartNames() const {
    std::vector<std::string> out;
    for (const auto& p : impl_->parts) out.push_back(p.first);
    return out;
}

std::string Workbook::PartText(const std::string& name) const {
    if (name == impl_->sheetPart) return impl_->sheet->impl_->Text();
    if (name == impl_->stylesPart) return impl_->styles.Text();
    if (const std::string* p = impl_->Part(name)) return *p;
    return "";
}

Workbooks::Workbooks() = default;
Workbooks::~Workbooks() = default;

Workbook& Workbooks::add() {
    auto impl = std::make_unique<Workbook::Impl>();
    impl->owner = this;
    impl->parts = {{"[Content_Types].xml", kNewContentTypes},
                   {"_rels/.rels", kNewRootRels},
                   {"xl/workbook.xml", kNewWorkbook},
                   {"xl/_rels/workbook.xml.rels", kNewWorkbookRels},
                   {"xl/worksheets/sheet1.xml", kNewSheet},
                   {"xl/styles.xml", kNewStyles}};
    impl->Load();
    books_.push_back(std::unique_ptr<Workbook>(new Workbook(std::move(impl))));
    return *books_.back();
}

Workbook& Workbooks::Open(const std::string& path) {
    auto impl = std::make_unique<Workbook::Impl>();
    impl->owner = this;
    std::map<std::string, std::string> parts = ReadZipParts(path);
    // Keep the content types first, the rest in name order.
    auto ct = parts.find("[Content_Types].xml");
    if (ct == parts.end()) throw Error("Файл " + path + " не является книгой .xlsx");
    impl->parts.emplace_back(ct->first, ct->second);
    for (auto& [name, data] : parts)
        if (name != "[Content_Types].xml") impl->parts.emplace_back(name, std::move(data));
    impl->Load();
    impl->fullName = path;
    books_.push_back(std::unique_ptr<Workbook>(new Workbook(std::move(impl))));
    return *books_.back();
}

Workbook& Workbooks::Item(int index) {
    if (index < 1 || size_t(index) > books_.size()) throw Error("Нет открытой книги " + std::to_string(index));
    return *books_[size_t(index - 1)];
}

int Workbooks::Count() const { return int(books_.size()); }

std::unique_ptr<Application> Application::Create(const std::string& progId) {
    if (g_XlsxUnavailable) return nullptr;
    std::string id;
    for (char ch : progId) id.push_back(char(std::tolower(static_cast<unsigned char>(ch))));
    if (id != "excel.application") return nullptr;
    return std::unique_ptr<Application>(new Application());
}

}  // namespace qvr::xlsx
