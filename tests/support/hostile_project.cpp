#include "support/hostile_project.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::testing {

namespace {

using Bytes = std::string;
using Templates = std::vector<std::string_view>;

// mt19937's output is fixed by the standard, and the reductions below are our own, so a seed
// writes the same project on every platform and standard library.
class Rng {
  public:
    explicit Rng(std::uint32_t seed) : engine_(seed) {}
    std::size_t below(std::size_t n) { return n == 0 ? 0 : engine_() % n; }
    int between(int low, int high) { return low + static_cast<int>(below(high - low + 1)); }
    bool chance(int percent) { return static_cast<int>(below(100)) < percent; }
    template <class C>
    const auto& pick(const C& c) {
        return c[below(std::size(c))];
    }
    std::uint32_t raw() { return engine_(); }

  private:
    std::mt19937 engine_;
};

// UTF-8 literal text in code page 932. iconv is opened for every conversion, so they are
// cached: the same few hundred literals make up every project.
class Cp932 {
  public:
    const Bytes& operator()(std::string_view utf8) {
        auto it = cache_.find(utf8);
        if (it != cache_.end()) return it->second;
        auto bytes = text::fromUtf8(utf8, text::CodePage::get(932));
        if (!bytes) throw std::logic_error("no code page 932 form: " + std::string(utf8));
        return cache_.emplace(std::string(utf8), std::move(*bytes)).first->second;
    }

  private:
    std::map<std::string, Bytes, std::less<>> cache_;
};

// Plain identifiers: case variants, and names that stand inside other names.
const Templates kPlainNames = {"Foo",   "foo",    "FOO",    "xFoo",  "FooBar", "Bar",
                               "a",     "b",      "ab",     "i",     "n",      "x",
                               "Total", "gTotal", "mCount", "Value", "Helper", "Calc",
                               "Item",  "s",      "Main",   "Run",   "Rem",    "Dim"};
// What a declaration can name although it is no identifier: boundary characters and type
// suffixes inside, leading digits, "_Error" (no line holding it uses anything), the names of
// form objects and event procedures.
const Templates kOddNames = {"a.b",       "x,y",       "c)",
                             "d.",        ".e",        "a.b.c",
                             "x,",        ")y",        "a$",
                             "n%",        "s!",        "t#",
                             "v&",        "w@",        "x:y",
                             "p\tq",      "1st",       "2x",
                             "9",         "_u",        "u_",
                             "a\"b",      "Foo_Error", "X_Error",
                             "Command1",  "Text1",     "Command1_Click",
                             "Form_Load", "Foo.Bar",   "Public",
                             "Sub"};
// Japanese names. The trail byte of ソ 表 能 予 is "\", of ダ "_", of ア "A", of ヂ "a", of
// （ "i": a search that ignores where characters begin finds ASCII names inside them.
const Templates kJapaneseNames = {"合計",   "件数", "表示", "ソ",   "能力",  "ソフト",
                                  "表_",    "ア",   "Aア",  "アA",  "ヂa",   "ダ_",
                                  "予定表", "x表",  "表x",  "ﾊﾝｶｸ", "（i）", "iア"};
// Raw bytes: a lead byte at the end of a name takes the following space or bracket as its
// trail; "\x9F" alone makes a declared name that runs on over the next space; "\x83\x61" is ヂ.
const Templates kRawNames = {"ab\x83", "Z\xE0", "q\x81", "\x9F", "\x83\x61"};

// Characters put next to names: trail bytes "\" "_" "A" "a" "@" "|" "~", full-width brackets
// and space, half-width katakana; and lone lead bytes.
const Templates kOddTokens = {"ソ", "表", "能", "ダ", "ア", "ヂ", "ポ", "ァ",
                              "ミ", "　", "（", "）", "，", "．", "ｱ"};
const Templates kRawTokens = {"\x83", "\x81", "\xFC", "\x9F"};

const Templates kBefore = {" ", "(", ".", ",", "\t", ":", "!",  "=", "+",   "&",    "-",
                           "x", "_", "",  "'", "\"", ")", "  ", "$", "{j}", "{j} ", " {j}"};
const Templates kAfter = {" ", "(", ")", ".", ",", "\t", ":",  "!",  "$",  "=",   "+",
                          "&", "",  "_", "x", "'", "#",  ". ", ", ", ") ", "{j}", " {j}"};
// The occurrence test's boundary characters: a name between two of them, in all 25 orders.
constexpr std::string_view kBoundaries = " ().,";
const Templates kTypes = {"Long", "String", "Integer", "Variant", "clsThing", "Form", "{n}"};

// Statements inside procedures. {n} is a shared name, {s} the name the placeholder before took,
// {u} a name between random neighbours, {p} a name between two boundary characters, {x} a name
// at the end of a longer word, {j} an odd character, {r} a lone lead byte (it takes the quote,
// apostrophe or letter after it as its trail), {t} a type, {m} the marker.
const Templates kStatements = {
    "    {n} = {n} + 1",
    "    x = {u}",
    "    x ={p}",
    "    Call{p}",
    "{p}",
    "{p}{p}",
    "    Debug.Print{p}1{p}",
    "    {n}{p}",
    "    x ={u}",
    "    Call {n}({u}, {n})",
    "    {n}.{n} = {u}",
    "    If {n} > 0 Then {n} = {u}",
    "    MsgBox \"it's\" & {n}",
    "    MsgBox \"it's {n}\", , {n}",
    "    {x} = 1 ' {n} here",
    "    {x}{p}'{p}",
    "    x = {n}{r}' {n} ",
    "    x = {r}'{p}",
    "    {x} = 1{r}' {n} here",
    "    x = {u} ' ダError",
    "    {n} = ダError + {n}",
    "    x = \"{r}\" & {n}",
    "    x = {r}{n} ' {s}",
    "    {r}{n} = {s}",
    "    {x}.{x} {n}",
    "    Debug.Print {n}, {n}",
    "    Debug.Print {n},{n}",
    "On Error GoTo {n}_Error",
    "    On Error GoTo {x}_Error",
    "{n}_Error:",
    "    Resume {n}_Exit",
    "Rem {n} is not used here",
    "    Rem {n}",
    "  Remark {n} ",
    "' {n}",
    "    s = \"{n}\" & {u}",
    "{n}:{n} = 1",
    "{n}: {n} = 1",
    "    x = ソ{n} & 表{n} ",
    "    x = {n}{j}",
    "    x = {j}{n} ",
    "    x = {n} {j}",
    "    {n}.Show",
    "    With {n}",
    "        .{n} = 1",
    "    End With",
    "    {n}({n}) = {n}!{n}",
    "    {n}${u}",
    "    Set {n} = New {t}",
    "    x = \"a, b\" & {n}",
    "    Debug.Print \"\"\"{n}\"\"\", {n}",
    "    合計 = 合計 + {u}",
    "    ' Public {n} As Long",
    "{m}    x = {n} ",
    "{m}{m}    Call {n}",
    "    x = {n} ' _Error",
    "{u}",
    "{u}{u}",
    "",
    "   ",
    "\t{n}\t= {n}",
    "    x = ({n})",
    "    x = ( {n} )",
    "    Call {n}",
    "    {n}",
    "    x = \"End Sub\" & {n}",
    "    ' End Sub",
    "    s = {n} & \" End Function \"",
    "    GoTo {n}",
    "    x = {n} _",
    "        + {n}",
    "    x = Sub {n}()",
    "    RaiseEvent {n}({n})",
    "    {n} = {n} & \"表\" & {n} ' 表 {n}",
    "    x = {n}\r",
    "x\\{n}",
};

// Planned uses whose count hangs on one detail: the pair of boundary characters around the name,
// or the name's bytes before an apostrophe but inside a character (a lead byte takes the name's
// first byte as its trail) with the name itself only after it.
const Templates kPairUses = {"    x ={p}",           "{p}",
                             "    Call{p}",          "    Debug.Print{p}1",
                             "    y = 1 +{p}' {n}",  "    z ={p}: x = 1",
                             "    x = {r}{n} ' {s}", "    {r}{n}.x '{s} here"};

const Templates kDims = {
    "    Dim {n} As {t}",
    "    Dim {n}",
    "    Dim {n} As Long, {n} As String",
    "    Dim {n}, {n}",
    "    Dim {n}() As String",
    "    Dim {n} As Long ' Dim {n}",
    "    Dim {n} As Long ' scourvane:keep",
    "    Dim {n}, {n} ' SCOURVANE:keep",
    "Dim {n}: {n} = 1",
    "    ReDim {n}(5)",
    "    Static {n} As Long",
    "    Dim {n} As Long, _",
    "\tDim {n} As Long",
    "    Dim {n}{j} As Long",
    "    Dim {j}{n}",
    "    Dim {n} As New {t}",
    "    Dim WithEvents {n} As {t}",
    "{m}    Dim {n} As Long",
    "    Private {n} As Long",
    "    Public {n}",
    "    Dim {n} As String * 10",
    "    Dim {n} As Long: Dim {n} As Long",
    "    Dim {n} As String ' it's {n}",
    "    Dim {n} As Long, {n}(1 To 2) As Long",
};

const Templates kDeclarations = {
    "Public {n} As Long",
    "Public {n} As String ' {n}",
    "Public {n}",
    "Public {n}, {n}",
    "Public {n} As Long, {n} As String",
    "Private {n} As Long",
    "Private {n}, {n} As Integer",
    "Dim {n} As Integer, {n} As Long",
    "Dim {n}",
    "Dim {n} As String: Dim {n} As Long",
    "Public Const {n} = 1",
    "Private Const {n} As String = \"it's, {n}\"",
    "Public Const {n} = \"a, b\", {n} = 2",
    "Private Const {n} = ({n} + 1), {n} = 2",
    "Public WithEvents {n} As {t}",
    "Private WithEvents {n} As Form",
    "Dim WithEvents {n} As {t}",
    "Implements {n}",
    "Public Event {n}({n} As Long)",
    "Private Declare Function {n} Lib \"kernel32\" () As Long",
    "Public Declare Sub {n} Lib \"user32\" (ByVal {n} As Long)",
    "Declare Function {n} Lib \"x\" Alias \"{n}\" () As Long",
    "   Public {n} As Long",
    "Public\t{n} As Long",
    "Public {n}\tAs Long",
    "Static {n} As Long",
    "Global {n} As Long",
    "Public {n} As Long, _",
    "Dim {n} As Long, _",
    "{m}Public {n} As Long",
    "{m}Private {n} As Long",
    "{m}{m}Dim {n}",
    "Public {n}() As Long",
    "Public {n}(1 To 3) As Long, {n} As Long",
    "Private {n} As New {t}",
    "' Public {n} As Long",
    "Rem Private {n}",
    "Public {n} As Long ' Public {n} here",
    "Private {j}{n} As Long",
    "Public {n}{j} As Long",
    "Public {n} As Long: Public {n} As Long",
    "Option Explicit",
    "Public Sub {n}(): End Sub",
    "Private Function {n}() As Long: {n} = {n}: End Function",
    "Public Property Get {n}()",
    "Public x As String: Rem Public {n}",
    "Private {n} As String ' it's \"{n}\"",
    "Public {n} As Long ' _Error",
    "Private {n} As Long ' scourvane:keep",
    "Public {n}, {n} As Long ' Scourvane:Keep",
    "Dim {n} As String ' \"scourvane:keep\"",
    "Public {n} As String: x = \"' scourvane:keep\"",
};

const Templates kProcScopes = {"Public ",         "Private ",   "",         "Friend ",
                               "Private Static ", "   Public ", "Public\t", "Static "};
const Templates kProcKinds = {"Sub ", "Function ", "Property Get ", "Property Let ",
                              "Property Set "};
const Templates kParams = {"()",
                           "(ByVal {n} As Long)",
                           "({n} As String, {n} As Long)",
                           "(ByRef {n})",
                           "",
                           "( {n} )",
                           "(Optional {n} = \"it's\")",
                           "({n}() As {t})"};

class ModuleWriter {
  public:
    ModuleWriter(Rng& rng, Cp932& cp, const std::vector<Bytes>& names, int scale)
        : rng_(rng), cp_(cp), names_(names), scale_(scale) {
        // Each module favours the names in its own order, so that a name common in one module
        // is rare in another and counts often land next to the thresholds of 1 and 2 uses.
        for (std::size_t i = names_.size(); i > 1; --i)
            std::swap(names_[i - 1], names_[rng_.below(i)]);
    }

    std::vector<Bytes> lines;

    // Expands the placeholders of a UTF-8 template; the text between them goes to code page
    // 932, the names are already bytes.
    Bytes fill(std::string_view t) {
        Bytes out;
        std::size_t i = 0;
        while (i < t.size()) {
            const std::size_t open = t.find('{', i);
            if (open == std::string_view::npos) {
                out += cp_(t.substr(i));
                break;
            }
            out += cp_(t.substr(i, open - i));
            const std::size_t close = t.find('}', open);
            out += expand(t.substr(open + 1, close - open - 1));
            i = close + 1;
        }
        return out;
    }

    void add(std::string_view t) { lines.push_back(fill(t)); }
    void addBytes(Bytes b) { lines.push_back(std::move(b)); }

    void formHeader(const Bytes& formName) {
        add("VERSION 5.00");
        const bool mdi = rng_.chance(10);
        addBytes((mdi ? "Begin VB.MDIForm " : "Begin VB.Form ") + formName +
                 (rng_.chance(15) ? " " : ""));
        addBytes("   Caption         =   \"" + formName + "\"");
        add("   ClientHeight    =   3195");
        if (rng_.chance(50)) add("   StartUpPosition =   3  'Windows の既定値");
        for (int c = rng_.between(0, 3); c > 0; --c) {
            static const Templates kControls = {"CommandButton", "TextBox", "Label", "Timer"};
            static const Templates kControlNames = {"Command1", "Text1", "Label1", "Timer1",
                                                    "Command2"};
            // A control named like a shared name turns away every declaration containing it.
            const Bytes control = rng_.chance(15) ? name() : cp_(rng_.pick(kControlNames));
            addBytes("   Begin VB." + Bytes(rng_.pick(kControls)) + " " + control +
                     Bytes(rng_.pick(Templates{"", " ", "  "})));
            add("      Caption         =   \"{n}\"");
            add("   End");
        }
        add("End");
        addBytes("Attribute VB_Name = \"" + formName + "\"");
        if (rng_.chance(70)) add("Attribute VB_GlobalNameSpace = False");
    }

    void classHeader(const Bytes& className) {
        add("VERSION 1.0 CLASS");
        add("BEGIN");
        add("  MultiUse = -1  'True");
        add("END");
        addBytes("Attribute VB_Name = \"" + className + "\"");
        if (rng_.chance(50)) add("Attribute VB_Exposed = False");
    }

    void basicHeader(const Bytes& moduleName) {
        // Without "Attribute VB" or "Option Explicit" the whole module stays file header.
        if (rng_.chance(88)) addBytes("Attribute VB_Name = \"" + moduleName + "\"");
    }

    void declaration() {
        if (rng_.chance(8)) return typeBlock();
        if (rng_.chance(4)) return enumBlock();
        add(rng_.pick(kDeclarations));
    }

    // An Implements line, the interface often named with its library; procedures named after
    // it then and again implement its members.
    void implementsLine() {
        const Bytes iface = name();
        static const Templates kLibraries = {"", "", "CSInterfacesABM.", "Lib.", "{n}."};
        addBytes(cp_("Implements ") + fill(rng_.pick(kLibraries)) + iface);
        interfaces_.push_back(iface);
    }

    // A procedure inside an #If block, indented as people write it there.
    void conditionalProcedure(bool isLong) {
        add("#If {n} Then");
        indent_ = cp_(rng_.pick(Templates{"  ", "\t", "    "}));
        procedure(isLong);
        indent_.clear();
        add(rng_.pick(Templates{"#End If", "  #End If"}));
    }

    void procedure(bool isLong) {
        const std::string_view kind = rng_.pick(kProcKinds);
        Bytes indent = !indent_.empty() ? indent_
                       : rng_.chance(12) ? cp_(rng_.pick(Templates{"  ", "\t", " \t"}))
                                         : Bytes();
        Bytes header = indent + fill(rng_.pick(kProcScopes)) + cp_(kind) + procedureName();
        header += fill(rng_.pick(kParams));
        if (kind == "Function " || kind == "Property Get ")
            header += fill(rng_.pick(Templates{"", " As Long", " As {t}"}));
        if (rng_.chance(10)) header += fill(" ' {n}");
        addBytes(std::move(header));

        // Some names get a Dim line and a planned number of further uses (0 to 3) in the body,
        // so that counts land next to the threshold of two lines as often as far above it.
        struct Slot {
            std::string_view statement;
            Bytes planned;  // the name its first placeholder takes, if any
            bool junk = false;
        };
        std::vector<Slot> slots;
        for (int f = rng_.between(0, isLong ? 6 : 3); f > 0; --f) {
            const Bytes planned = rng_.pick(names_);
            slots.push_back({rng_.pick(kDims), planned});
            for (int u = rng_.between(0, 3); u > 0; --u)
                slots.push_back({rng_.pick(rng_.chance(40) ? kPairUses : kStatements), planned});
        }
        for (int s = isLong ? rng_.between(30, 120) : rng_.between(0, 10); s > 0; --s) {
            const int r = static_cast<int>(rng_.below(100));
            slots.push_back(
                {r < 25 ? rng_.pick(kDims) : rng_.pick(kStatements), {}, r >= 25 && r < 30});
        }
        for (std::size_t i = slots.size(); i > 1; --i)
            std::swap(slots[i - 1], slots[rng_.below(i)]);
        for (Slot& slot : slots) {
            if (slot.junk) {
                junk();
                continue;
            }
            forced_ = std::move(slot.planned);
            add(slot.statement);
            forced_.clear();
        }
        procedureEnd(kind, indent);
    }

    void junk() {
        static const Templates kJunk = {
            "",
            "'<未使用> |",
            "{m}",
            "{m}{m}Public {n} As Long",
            "{m}Public Sub {n}()",
            "{m}End Sub",
            "' コメント {n} ソ",
            "表{j}",
            "{j}",
            "ダ",
            "End Sub",
            "    End Function",
            "End Type",
            "Attribute {n}.VB_VarHelpID = -1",
            "Option Explicit",
            "#If {n} Then",
            "#End If",
            "' scourvane:keep",
            "Rem SCOURVANE:KEEP {n}",
            "{m}x = \"scourvane:keep\"",
        };
        add(rng_.pick(kJunk));
    }

    int scale() const { return scale_; }

  private:
    Bytes name() {
        last_ = !forced_.empty() ? std::exchange(forced_, Bytes())
                                 : names_[rng_.below(rng_.below(names_.size()) + 1)];
        return last_;
    }

    Bytes expand(std::string_view key) {
        if (key == "n") return name();
        if (key == "s") return last_;
        if (key == "u") return fill(rng_.pick(kBefore)) + name() + fill(rng_.pick(kAfter));
        if (key == "p") return Bytes(1, rng_.pick(kBoundaries)) + name() + rng_.pick(kBoundaries);
        if (key == "x")
            return fill(rng_.pick(Templates{"x", "my", "_", "1", "ソ", "ア", "."})) + name();
        if (key == "j") return oddToken();
        if (key == "r") return Bytes(rng_.pick(kRawTokens));
        if (key == "t") return fill(rng_.pick(kTypes));
        if (key == "m") return cp_("'<未使用> |");
        throw std::logic_error("unknown placeholder {" + std::string(key) + "}");
    }

    Bytes oddToken() {
        if (rng_.chance(20)) return Bytes(rng_.pick(kRawTokens));
        return cp_(rng_.pick(kOddTokens));
    }

    Bytes procedureName() {
        const int r = static_cast<int>(rng_.below(100));
        if (r < 60) return name();
        if (r < 72) return name() + "_Click";
        if (r < 80) return cp_("Command1_Click");
        if (r < 86) return cp_(rng_.pick(Templates{"Form_Load", "Class_Initialize"}));
        if (r < 92) return cp_("Main");
        if (r < 96 && !interfaces_.empty()) return rng_.pick(interfaces_) + "_" + name();
        return name() + "_Error";
    }

    void procedureEnd(std::string_view kind, const Bytes& indent) {
        Bytes end = kind == "Sub "        ? "End Sub"
                    : kind == "Function " ? "End Function"
                                          : "End Property";
        const int r = static_cast<int>(rng_.below(100));
        // An indented header mostly gets its end at the same depth; any end may be indented.
        if (r < 75) return addBytes((rng_.chance(80) ? indent : Bytes()) + end);
        if (r < 78) return addBytes("\t" + end);
        if (r < 80) return add(rng_.pick(Templates{"End Sub", "End Function", "End Property"}));
        if (r < 86) return addBytes("    " + end);
        if (r < 92) return addBytes(end + fill(" ' {n}"));
        if (r < 95) return addBytes(end + fill(": {n} = 1"));
        // No end line: the procedure runs on into what follows.
    }

    void typeBlock() {
        const Bytes indent = rng_.chance(15) ? cp_(rng_.pick(Templates{"    ", "\t"})) : Bytes();
        addBytes(indent + cp_(rng_.pick(Templates{"Public Type ", "Private Type ", "Type "})) +
                 name());
        for (int f = rng_.between(0, 3); f > 0; --f) add("    {n} As {t}");
        const int r = static_cast<int>(rng_.below(10));
        if (r < 7) addBytes(indent + "End Type");
        if (r == 7) add("    End Type");
    }

    void enumBlock() {
        addBytes(cp_(rng_.pick(Templates{"Public Enum ", "Private Enum "})) + name());
        for (int f = rng_.between(0, 3); f > 0; --f) add("    {n} = 1");
        add("End Enum");
    }

    Rng& rng_;
    Cp932& cp_;
    std::vector<Bytes> names_;
    Bytes forced_;  // when set, the name the next placeholder takes
    Bytes last_;    // the name the last placeholder took
    Bytes indent_;  // when set, the indentation of the next procedure's header and end
    std::vector<Bytes> interfaces_;  // the interfaces the module implements
    int scale_;
};

std::vector<Bytes> choosePool(Rng& rng, Cp932& cp) {
    std::vector<Bytes> pool;
    const int size = rng.between(6, 20);
    while (static_cast<int>(pool.size()) < size) {
        const int r = static_cast<int>(rng.below(100));
        Bytes n = r < 50   ? cp(rng.pick(kPlainNames))
                  : r < 72 ? cp(rng.pick(kOddNames))
                  : r < 92 ? cp(rng.pick(kJapaneseNames))
                           : Bytes(rng.pick(kRawNames));
        if (std::find(pool.begin(), pool.end(), n) == pool.end()) pool.push_back(std::move(n));
    }
    return pool;
}

Bytes moduleBody(Rng& rng, ModuleWriter& w) {
    const bool big = w.scale() > 1 || rng.chance(12);
    if (rng.chance(70)) w.add("Option Explicit");
    for (int d = rng.between(0, 15) * w.scale(); d > 0; --d) {
        if (rng.chance(6)) w.junk();
        if (rng.chance(5)) w.implementsLine();
        w.declaration();
    }
    for (int p = rng.between(0, big ? 10 : 6) * w.scale(); p > 0; --p) {
        if (rng.chance(8)) w.junk();
        // Now and then a declaration between procedures, after the declarations section.
        if (rng.chance(8)) w.declaration();
        if (rng.chance(8)) {
            w.conditionalProcedure(big && rng.chance(20));
            continue;
        }
        w.procedure(big && rng.chance(20));
    }
    // Line terminators: CR LF, LF, or a mix; the last line with or without one.
    const int style = static_cast<int>(rng.below(3));
    const bool lastBreak = rng.chance(60);
    Bytes out;
    for (std::size_t i = 0; i < w.lines.size(); ++i) {
        out += w.lines[i];
        if (i + 1 == w.lines.size() && !lastBreak) break;
        const bool lf = style == 1 || (style == 2 && rng.chance(50));
        out += lf ? "\n" : "\r\n";
    }
    return out;
}

struct ModuleSpec {
    std::string kind;      // bas, cls, frm
    std::string utf8File;  // file name on disk
    Bytes vbName;          // the name in its Attribute line and the project file
    Bytes file;            // the file name in the project file
};

std::string moduleText(Rng& rng, Cp932& cp, const std::vector<Bytes>& pool, const ModuleSpec& m,
                       int scale) {
    if (rng.chance(6)) return "";
    if (rng.chance(3)) return rng.chance(50) ? "\r\n" : "   \n \n";
    ModuleWriter w(rng, cp, pool, scale);
    if (m.kind == "frm") {
        w.formHeader(m.vbName);
    } else if (m.kind == "cls") {
        w.classHeader(m.vbName);
    } else {
        w.basicHeader(m.vbName);
    }
    return moduleBody(rng, w);
}

void writeBytes(const fs::path& p, std::string_view content) {
    if (p.has_parent_path()) fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::vector<ModuleSpec> chooseModules(Rng& rng, Cp932& cp, int count) {
    static const Templates kBasStems = {"modUtil", "Module", "modソ", "表計算", "mod_x"};
    static const Templates kClsStems = {"clsThing", "Class", "cls表"};
    static const Templates kFrmStems = {"frmMain", "Form", "frmダ"};
    std::vector<ModuleSpec> modules;
    for (int i = 1; i <= count; ++i) {
        ModuleSpec m;
        const int r = static_cast<int>(rng.below(100));
        m.kind = r < 50 ? "bas" : r < 75 ? "cls" : "frm";
        const Templates& stems = m.kind == "bas"   ? kBasStems
                                 : m.kind == "cls" ? kClsStems
                                                   : kFrmStems;
        const std::string stem = std::string(rng.pick(stems)) + std::to_string(i);
        m.utf8File = stem + "." + m.kind;
        m.vbName = cp(stem);
        m.file = cp(m.utf8File);
        modules.push_back(std::move(m));
    }
    return modules;
}

Bytes projectEntry(const ModuleSpec& m, const Bytes& path, Rng& rng) {
    if (m.kind == "frm") return "Form=" + path;
    const Bytes keyword = m.kind == "cls" ? "Class=" : "Module=";
    // Without "; " the entry lies outside the format and names the file "name;path".
    return keyword + m.vbName + (rng.chance(3) ? ";" : "; ") + path;
}

}  // namespace

std::string hostileModuleText(std::uint32_t seed, const std::string& kind,
                              const HostileOptions& options) {
    Rng rng(seed);
    Cp932 cp;
    const std::vector<Bytes> pool = choosePool(rng, cp);
    ModuleSpec m{kind, "M." + kind, "M", "M." + kind};
    return moduleText(rng, cp, pool, m, std::max(1, options.scale));
}

HostileProject generateHostileProject(const fs::path& folder, std::uint32_t seed,
                                      const HostileOptions& options) {
    Rng rng(seed);
    Cp932 cp;
    const int scale = std::max(1, options.scale);
    HostileProject project;
    project.folder = folder;
    fs::create_directories(folder);

    const std::vector<Bytes> pool = choosePool(rng, cp);
    const bool big = rng.chance(12);
    const int count = (big ? rng.between(3, 7) : rng.between(1, 5)) * scale;
    std::vector<ModuleSpec> modules = chooseModules(rng, cp, count);

    std::vector<Bytes> lines;
    for (const ModuleSpec& m : modules) {
        // Some entries live in a subfolder, named with "\" or, in another case, with "/".
        const int where = static_cast<int>(rng.below(100));
        const bool outside = options.outsideEntries && where >= 80;
        const Bytes path = where < 20 ? "Sub\\" + m.file
                           : where < 25 ? "sub/" + m.file
                           : outside    ? "..\\Shared\\" + m.file
                                        : m.file;
        const fs::path file = where < 25 ? folder / "Sub" / m.utf8File
                              : outside  ? folder.parent_path() / "Shared" / m.utf8File
                                         : folder / m.utf8File;
        writeBytes(file, moduleText(rng, cp, pool, m, scale));
        project.files.push_back(file);
        if (m.kind == "frm" && rng.chance(50)) {
            const fs::path frx = fs::path(file).replace_extension(".frx");
            Bytes binary;
            for (int b = rng.between(0, 64); b > 0; --b) binary += static_cast<char>(rng.raw());
            writeBytes(frx, binary);
            project.files.push_back(frx);
        }
        lines.push_back(projectEntry(m, path, rng));
    }
    // Two files of one name in two folders: both entries become the same row of the table, and
    // the working copy holds the one copied last.
    if (rng.chance(12) && !modules.empty()) {
        const ModuleSpec& m = rng.pick(modules);
        const bool inSub = fs::exists(folder / "Sub" / m.utf8File);
        const fs::path twin = inSub ? folder / m.utf8File : folder / "Sub" / m.utf8File;
        writeBytes(twin, moduleText(rng, cp, pool, m, scale));
        project.files.push_back(twin);
        lines.push_back(projectEntry(m, inSub ? m.file : "Sub\\" + m.file, rng));
    }
    // Entries whose files are missing, and an entry listed twice.
    if (rng.chance(30)) lines.push_back("Module=Gone; Gone.bas");
    if (rng.chance(10)) lines.push_back("Form=Sub\\Lost.frm");
    if (rng.chance(20) && !lines.empty()) lines.push_back(rng.pick(lines));
    project.entries = lines;
    for (std::size_t i = lines.size(); i > 1; --i) std::swap(lines[i - 1], lines[rng.below(i)]);

    lines.insert(lines.begin(), "Type=Exe");
    if (rng.chance(60))
        lines.insert(lines.begin() + 1,
                     "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\Windows"
                     "\\system32\\stdole2.tlb#OLE Automation");
    lines.push_back("Startup=\"Sub Main\"");
    lines.push_back(cp("ExeName32=\"ソフト.exe\""));
    Bytes vbp;
    const bool lf = rng.chance(20);
    for (const Bytes& l : lines) vbp += l + (lf ? "\n" : "\r\n");

    project.projectFile = folder / "Hostile.vbp";
    writeBytes(project.projectFile, vbp);
    project.files.push_back(project.projectFile);
    if (rng.chance(70)) {
        writeBytes(folder / "Hostile.vbw", "Form1 = 0, 0, 0, 0, C\r\n");
        project.files.push_back(folder / "Hostile.vbw");
    }
    return project;
}

}  // namespace scourvane::testing
