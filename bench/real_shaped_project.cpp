#include "real_shaped_project.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <deque>
#include <fstream>
#include <optional>
#include <random>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "text/codepage.h"
#include "text/convert.h"

namespace scourvane::bench {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

namespace {

// ----------------------------------------------------------------------------- randomness

class Random {
  public:
    explicit Random(unsigned seed) : engine_(seed) {}

    // Uniform in [0, n). The standard distributions are computed differently by each standard
    // library; std::mt19937 and this are not, so a seed makes the same project everywhere.
    std::size_t below(std::size_t n) {
        if (n == 0) return 0;
        return static_cast<std::size_t>((static_cast<std::uint64_t>(engine_()) * n) >> 32);
    }
    std::size_t between(std::size_t low, std::size_t high) { return low + below(high - low + 1); }
    bool percent(std::size_t p) { return below(100) < p; }
    double unit() { return (static_cast<double>(engine_()) + 0.5) / 4294967296.0; }

    // A standard normal value (Box-Muller). Two statements: the order in which one
    // expression's calls run is unspecified, and the seed must give one result.
    double normal() {
        const double radius = std::sqrt(-2.0 * std::log(unit()));
        const double angle = 6.283185307179586 * unit();
        return radius * std::cos(angle);
    }
    double logNormal(double median, double sigma) { return median * std::exp(sigma * normal()); }

    // Knuth's method; past a mean of 30 (procedures of hundreds of lines) the normal
    // approximation, which is close enough there and needs no long loop.
    std::size_t poisson(double mean) {
        if (mean <= 0) return 0;
        if (mean > 30)
            return static_cast<std::size_t>(std::max(0.0, mean + std::sqrt(mean) * normal()));
        const double limit = std::exp(-mean);
        std::size_t k = 0;
        for (double p = unit(); p > limit; p *= unit()) ++k;
        return k;
    }

    template <typename List>
    const auto& pick(const List& list) {
        return list[below(std::size(list))];
    }

  private:
    std::mt19937 engine_;
};

template <typename T>
void shuffle(std::vector<T>& items, Random& rng) {
    for (std::size_t i = items.size(); i > 1; --i) std::swap(items[i - 1], items[rng.below(i)]);
}

// ----------------------------------------------------------------------------- names

std::string upperCase(std::string_view s) {
    std::string u(s);
    for (char& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return u;
}

std::string lowerCase(std::string_view s) {
    std::string l(s);
    for (char& c : l)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return l;
}

std::string lowerFirst(std::string_view s) {
    std::string l(s);
    if (!l.empty()) l[0] = lowerCase(l.substr(0, 1))[0];
    return l;
}

// Names compared as VB compares them, ignoring case.
class NameSet {
  public:
    bool has(std::string_view name) const { return names_.count(upperCase(name)) != 0; }
    void add(std::string_view name) { names_.insert(upperCase(name)); }

  private:
    std::unordered_set<std::string> names_;
};

// A name from `make` that neither set holds, recorded in `own`. After a few tries the last
// try is numbered: a declaration that is meant to be unused must not share its name with one
// that is used, however many names a project needs.
template <typename Make>
std::string claimName(NameSet& own, const NameSet* other, Make make) {
    auto isFree = [&](const std::string& n) {
        return !own.has(n) && (other == nullptr || !other->has(n));
    };
    std::string name;
    for (int attempt = 0; attempt < 4; ++attempt) {
        name = make();
        if (!isFree(name)) continue;
        own.add(name);
        return name;
    }
    for (std::size_t k = 2;; ++k) {
        std::string numbered = name + std::to_string(k);
        if (!isFree(numbered)) continue;
        own.add(numbered);
        return numbered;
    }
}

// ----------------------------------------------------------------------------- vocabulary
// Module topics; none is also an attribute word, so that "Verb Noun Attr" (public) and
// "Verb Attr" (private) procedure names never coincide.
constexpr std::array kNouns{
    "Customer"sv, "Order"sv,    "Invoice"sv,   "Product"sv,    "Stock"sv,      "Supplier"sv,
    "Payment"sv,  "Report"sv,   "Config"sv,    "Log"sv,        "Database"sv,   "Calendar"sv,
    "Tax"sv,      "Shipping"sv, "Warehouse"sv, "Employee"sv,   "Department"sv, "Sales"sv,
    "Budget"sv,   "Account"sv,  "Ledger"sv,    "Journal"sv,    "Bank"sv,       "Price"sv,
    "Discount"sv, "Campaign"sv, "Schedule"sv,  "Task"sv,       "Message"sv,    "Mail"sv,
    "Barcode"sv,  "Backup"sv,   "Setting"sv,   "Search"sv,     "Cache"sv,      "Queue"sv,
    "Image"sv,    "Chart"sv,    "Delivery"sv,  "Estimate"sv,   "Receipt"sv,    "Member"sv,
    "Coupon"sv,   "Store"sv,    "Staff"sv,     "Vendor"sv,     "Contract"sv,   "Asset"sv,
    "Approval"sv, "Holiday"sv,  "Shift"sv,     "Attendance"sv, "Payroll"sv,    "Quote"sv,
    "Route"sv,    "Branch"sv,   "Carrier"sv,   "Region"sv,     "Pallet"sv,     "Lot"sv};
constexpr std::array kAttrs{"Total"sv,   "Count"sv,   "List"sv,   "Name"sv,  "Code"sv,   "Amount"sv,
                            "Date"sv,    "Status"sv,  "Rate"sv,   "Data"sv,  "Header"sv, "Detail"sv,
                            "Line"sv,    "Key"sv,     "Index"sv,  "Flag"sv,  "Limit"sv,  "Range"sv,
                            "Summary"sv, "Balance"sv, "Text"sv,   "Path"sv,  "Value"sv,  "Mode"sv,
                            "Id"sv,      "Row"sv,     "Column"sv, "Width"sv, "Level"sv,  "Kind"sv};
constexpr std::array kVerbs{
    "Load"sv,   "Save"sv,  "Get"sv,     "Calc"sv,     "Check"sv,   "Update"sv, "Delete"sv,
    "Insert"sv, "Find"sv,  "Build"sv,   "Format"sv,   "Parse"sv,   "Print"sv,  "Show"sv,
    "Clear"sv,  "Init"sv,  "Refresh"sv, "Validate"sv, "Convert"sv, "Read"sv,   "Write"sv,
    "Open"sv,   "Close"sv, "Sort"sv,    "Apply"sv,    "Make"sv,    "Send"sv,   "Post"sv,
    "Copy"sv,   "Reset"sv, "Fill"sv,    "Merge"sv,    "Export"sv,  "Import"sv};
constexpr std::array kAdjectives{"Last"sv,    "First"sv, "Max"sv,  "Min"sv,   "Current"sv,
                                 "Default"sv, "Base"sv,  "Next"sv, "Prev"sv,  "Selected"sv,
                                 "Item"sv,    "Unit"sv,  "Net"sv,  "Gross"sv, "Start"sv};
// Helpers of the same name live in many forms of a real program.
constexpr std::array kCommonHelpers{"InitControls"sv,  "ClearFields"sv,   "SetButtons"sv,
                                    "ValidateInput"sv, "ShowDetail"sv,    "LoadGrid"sv,
                                    "SaveData"sv,      "ResizeControls"sv};
constexpr std::array kPrivateConsts{"MAX_RETRY"sv,    "COL_CODE"sv,    "COL_NAME"sv,
                                    "COL_AMOUNT"sv,   "MSG_CONFIRM"sv, "SQL_SELECT"sv,
                                    "DEFAULT_RATE"sv, "ROW_HEIGHT"sv,  "KEY_ENTER"sv,
                                    "TITLE_TEXT"sv,   "INI_SECTION"sv, "PAGE_SIZE"sv};
constexpr std::array kEnumStates{"New"sv,  "Active"sv, "Closed"sv, "Cancelled"sv,
                                 "Hold"sv, "Done"sv,   "Error"sv};
// Parameter names and local names never coincide, ignoring case: a procedure may have both.
constexpr std::array kParamNames{"Code"sv,   "Value"sv, "Key"sv,   "Amount"sv, "Mode"sv,
                                 "Rate"sv,   "Flag"sv,  "RowNo"sv, "ColNo"sv,  "Target"sv,
                                 "Source"sv, "Limit"sv, "Items"sv, "Note"sv};
constexpr std::array kLongLocals{"i"sv,         "j"sv,      "k"sv,        "n"sv,
                                 "idx"sv,       "cnt"sv,    "pos"sv,      "ret"sv,
                                 "lngRow"sv,    "lngCol"sv, "lngCount"sv, "lngIndex"sv,
                                 "lngResult"sv, "nLen"sv,   "nMax"sv,     "lngStart"sv};
constexpr std::array kIntegerLocals{"intMode"sv, "iRet"sv, "fileNo"sv, "intKind"sv};
constexpr std::array kStringLocals{"s"sv,     "t"sv,       "buf"sv,    "msg"sv,     "sql"sv,
                                   "tmp"sv,   "strName"sv, "strKey"sv, "strPath"sv, "strLine"sv,
                                   "sCode"sv, "sText"sv,   "strWork"sv};
constexpr std::array kDoubleLocals{"dblRate"sv, "dblValue"sv, "x"sv, "y"sv, "dblRatio"sv};
constexpr std::array kCurrencyLocals{"curAmount"sv, "curTotal"sv, "curTax"sv, "curPrice"sv};
constexpr std::array kBooleanLocals{"bFound"sv,  "bDone"sv,    "blnOK"sv,
                                    "isValid"sv, "bChanged"sv, "bFirst"sv};
constexpr std::array kVariantLocals{"v"sv, "vItem"sv, "vData"sv, "vKey"sv};
constexpr std::array kDateLocals{"dtFrom"sv, "dtTo"sv, "dtWork"sv};
constexpr std::array kArrayLocals{"arr"sv, "codes"sv, "names"sv, "buffer"sv};
constexpr std::array kRecordLocals{"rec"sv, "udt"sv, "work"sv};

// UTF-8 here; a module's whole text goes through CP932 before it is written. 表, ソ and 能
// end in the byte of "\" in CP932, as real comments do.
constexpr std::array kComments{"売上の合計を計算する"sv,
                               "得意先マスタを読み込む"sv,
                               "入力値をチェックする"sv,
                               "画面を初期化する"sv,
                               "表示を更新する"sv,
                               "ソート処理"sv,
                               "ｴﾗｰ処理"sv,
                               "消費税を計算する"sv,
                               "データベースに接続する"sv,
                               "一覧表を印刷する"sv,
                               "在庫数を更新する"sv,
                               "能力値の計算"sv,
                               "明細行を追加する"sv,
                               "※ 旧仕様のため残している"sv,
                               "ここは触らないこと"sv,
                               "担当者コードの桁数チェック"sv,
                               "締め日の判定"sv,
                               "予定表を作る"sv,
                               "ﾌｧｲﾙを開く"sv,
                               "TODO: 後で見直す"sv};
constexpr std::array kTexts{"受注入力"sv,
                            "数量を入力してください。"sv,
                            "データがありません。"sv,
                            "保存しました。"sv,
                            "削除してよろしいですか？"sv,
                            "ｷｬﾝｾﾙ"sv,
                            "件"sv,
                            "円"sv,
                            "合計"sv,
                            "得意先"sv,
                            "表示"sv,
                            "ソート"sv,
                            "検索中…"sv,
                            "ﾃﾞｰﾀ"sv,
                            "OK"sv,
                            "NG"sv};
constexpr std::array kCaptions{"得意先マスタ"sv, "受注入力"sv,   "売上集計表"sv, "在庫照会"sv,
                               "請求書発行"sv,   "担当者一覧"sv, "ｼｽﾃﾑ設定"sv,   "ログイン"sv};

// Windows API declarations: the name, Sub or Function, the rest of the line for 32-bit VB6,
// the same for 64-bit VBA where it differs (PtrSafe code takes LongPtr for handles), and the
// arguments of a typical call.
struct Api {
    std::string_view name;
    bool function;
    std::string_view tail;
    std::string_view tail64;  // empty: as for 32 bits
    std::string_view args;
};
constexpr std::array kPublicApis{
    Api{"GetTickCount", true, R"(Lib "kernel32" () As Long)", "", ""},
    Api{"GetSystemMetrics", true, R"(Lib "user32" (ByVal nIndex As Long) As Long)", "", "0"},
    Api{"MessageBeep", true, R"(Lib "user32" (ByVal wType As Long) As Long)", "", "0"}};
constexpr std::array kPrivateApis{
    Api{"Sleep", false, R"(Lib "kernel32" (ByVal dwMilliseconds As Long))", "", "100"},
    Api{"SendMessage", true,
        R"(Lib "user32" Alias "SendMessageA" (ByVal hWnd As Long, ByVal wMsg As Long, )"
        R"(ByVal wParam As Long, lParam As Any) As Long)",
        R"(Lib "user32" Alias "SendMessageA" (ByVal hWnd As LongPtr, ByVal wMsg As Long, )"
        R"(ByVal wParam As LongPtr, lParam As Any) As LongPtr)",
        "0, &H185, 0, ByVal 0&"},
    Api{"GetWindowsDirectory", true,
        R"(Lib "kernel32" Alias "GetWindowsDirectoryA" )"
        R"((ByVal lpBuffer As String, ByVal nSize As Long) As Long)",
        "", "Space$(260), 260"},
    Api{"GetPrivateProfileString", true,
        R"(Lib "kernel32" Alias "GetPrivateProfileStringA" (ByVal lpApplicationName As String, )"
        R"(ByVal lpKeyName As Any, ByVal lpDefault As String, ByVal lpReturnedString As String, )"
        R"(ByVal nSize As Long, ByVal lpFileName As String) As Long)",
        "", R"("Main", "Path", "", Space$(255), 255, App.Path & "\setup.ini")"},
    Api{"WritePrivateProfileString", true,
        R"(Lib "kernel32" Alias "WritePrivateProfileStringA" (ByVal lpApplicationName As String, )"
        R"(ByVal lpKeyName As Any, ByVal lpString As Any, ByVal lpFileName As String) As Long)",
        "", R"("Main", "Path", "C:\Data", App.Path & "\setup.ini")"},
    Api{"GetComputerName", true,
        R"(Lib "kernel32" Alias "GetComputerNameA" (ByVal lpBuffer As String, nSize As Long) )"
        R"(As Long)",
        "", "Space$(64), 64"},
    Api{"ShellExecute", true,
        R"(Lib "shell32.dll" Alias "ShellExecuteA" (ByVal hwnd As Long, )"
        R"(ByVal lpOperation As String, ByVal lpFile As String, ByVal lpParameters As String, )"
        R"(ByVal lpDirectory As String, ByVal nShowCmd As Long) As Long)",
        R"(Lib "shell32.dll" Alias "ShellExecuteA" (ByVal hwnd As LongPtr, )"
        R"(ByVal lpOperation As String, ByVal lpFile As String, ByVal lpParameters As String, )"
        R"(ByVal lpDirectory As String, ByVal nShowCmd As Long) As LongPtr)",
        R"(0, "open", App.Path & "\readme.txt", "", "", 1)"},
    Api{"CopyMemory", false,
        R"(Lib "kernel32" Alias "RtlMoveMemory" (Destination As Any, Source As Any, )"
        R"(ByVal Length As Long))",
        R"(Lib "kernel32" Alias "RtlMoveMemory" (Destination As Any, Source As Any, )"
        R"(ByVal Length As LongPtr))",
        "ByVal 0&, ByVal 0&, 0"},
    Api{"timeGetTime", true, R"(Lib "winmm.dll" () As Long)", "", ""},
    Api{"GetAsyncKeyState", true, R"(Lib "user32" (ByVal vKey As Long) As Integer)", "", "27"},
    Api{"FindWindow", true,
        R"(Lib "user32" Alias "FindWindowA" (ByVal lpClassName As String, )"
        R"(ByVal lpWindowName As String) As Long)",
        R"(Lib "user32" Alias "FindWindowA" (ByVal lpClassName As String, )"
        R"(ByVal lpWindowName As String) As LongPtr)",
        R"(vbNullString, "Notepad")"},
    Api{"GetTempPath", true,
        R"(Lib "kernel32" Alias "GetTempPathA" (ByVal nBufferLength As Long, )"
        R"(ByVal lpBuffer As String) As Long)",
        "", "260, Space$(260)"}};

// ----------------------------------------------------------------------------- the plan

enum class ModuleKind : std::uint8_t { Form, Class, Standard, Control };
// Modules every generated project has, for the start-up code and the shapes that only a few
// real modules show (Windows API, interface).
enum class Role : std::uint8_t { Plain, MainForm, Startup, Globals, Api, Util, Math, Shape };
enum class VarType : std::uint8_t {
    Long,
    Integer,
    String,
    Double,
    Currency,
    Boolean,
    Variant,
    Date,
    Object,
    Record
};
enum class MemberKind : std::uint8_t { Sub, Function, Property, Variable, Const, Record, Declare };
// Used: a Public member is used from another module, a Private one in its own module.
enum class Fate : std::uint8_t { Used, OwnModuleOnly, Unused };
enum class Category : std::uint8_t { Number, Text, Flag, Moment, None };

struct Field {
    std::string_view name;
    std::string_view declaration;
    VarType type;
};
constexpr std::array kFields{Field{"Code", "Code As Long", VarType::Long},
                             Field{"Name", "Name As String * 20", VarType::String},
                             Field{"Amount", "Amount As Currency", VarType::Currency},
                             Field{"Count", "Count As Long", VarType::Long},
                             Field{"Updated", "Updated As Date", VarType::Date},
                             Field{"Memo", "Memo As String", VarType::String},
                             Field{"Rate", "Rate As Double", VarType::Double},
                             Field{"Active", "Active As Boolean", VarType::Boolean}};

struct Member {
    std::string name;
    MemberKind kind = MemberKind::Sub;
    VarType type = VarType::Long;  // of a Function's result, a Property, a variable or constant
    Fate fate = Fate::Used;
    bool isPublic = false;
    bool typeChar = false;  // a String function written Name$
    bool readOnly = false;  // a Property Get without Property Let
    bool backing = false;   // the Private variable behind a Property
    std::uint8_t params = 0;
    std::array<VarType, 4> paramTypes{};
    std::uint32_t detail = 0;  // Declare: row of its API table; Record: bit mask of kFields
};

struct Ref {
    std::uint32_t module = 0;
    std::uint32_t member = 0;
};

struct Hosted {
    std::uint32_t control = 0;  // the user control's module
    std::string instance;       // the control's name on the form
};

struct ModulePlan {
    std::string name;
    std::string noun;  // the topic its member names are made of
    ModuleKind kind = ModuleKind::Standard;
    Role role = Role::Plain;
    std::string entry;  // its path in the project file, folders separated by "\"
    std::size_t budget = 0;
    std::vector<Member> publics;
    std::vector<Ref> uses;                 // other modules' Public members it must use
    std::vector<Hosted> hosted;            // forms: instances of the project's user controls
    std::vector<std::uint32_t> hostForms;  // user controls: the forms they are placed on
    std::string enumName;
    std::vector<std::string> enumMembers;
    bool implementsShape = false;
    bool raisesChanged = false;
    bool tabs = false;
};

struct ProjectPlan {
    std::string projectName;
    std::vector<ModulePlan> modules;
    NameSet names;  // every module name and every Public name: unique in the project
    // Used Public members of standard modules that any procedure may use besides its tasks,
    // as real code calls its utility modules from everywhere.
    std::vector<Ref> sharedFunctions;  // numeric Functions
    std::vector<Ref> sharedSubs;
    std::vector<Ref> sharedVariables;    // numeric variables
    std::vector<std::uint32_t> classes;  // classes a local may hold (not the interface)
    std::vector<std::uint32_t> shapes;   // classes that implement the interface
};

Category categoryOf(VarType t) {
    switch (t) {
        case VarType::Long:
        case VarType::Integer:
        case VarType::Double:
        case VarType::Currency:
        case VarType::Variant:
            return Category::Number;
        case VarType::String:
            return Category::Text;
        case VarType::Boolean:
            return Category::Flag;
        case VarType::Date:
            return Category::Moment;
        default:
            return Category::None;
    }
}

std::string_view typeName(VarType t) {
    switch (t) {
        case VarType::Long:
            return "Long";
        case VarType::Integer:
            return "Integer";
        case VarType::String:
            return "String";
        case VarType::Double:
            return "Double";
        case VarType::Currency:
            return "Currency";
        case VarType::Boolean:
            return "Boolean";
        case VarType::Variant:
            return "Variant";
        case VarType::Date:
            return "Date";
        default:
            return "Object";
    }
}

VarType valueType(Random& rng) {
    const std::size_t r = rng.below(100);
    if (r < 35) return VarType::Long;
    if (r < 65) return VarType::String;
    if (r < 80) return VarType::Boolean;
    if (r < 88) return VarType::Double;
    if (r < 95) return VarType::Currency;
    return VarType::Date;
}

VarType paramType(Random& rng) {
    const std::size_t r = rng.below(100);
    if (r < 40) return VarType::Long;
    if (r < 70) return VarType::String;
    if (r < 78) return VarType::Double;
    if (r < 90) return VarType::Boolean;
    return VarType::Currency;
}

VarType constType(Random& rng) {
    const std::size_t r = rng.below(100);
    if (r < 60) return VarType::Long;
    if (r < 90) return VarType::String;
    return VarType::Double;
}

std::uint32_t fieldMask(Random& rng) {
    std::uint32_t mask = 1;  // every record has a code
    const std::size_t extra = rng.between(1, 4);
    for (std::size_t k = 0; k < extra; ++k) mask |= 1u << rng.below(kFields.size());
    return mask;
}

Fate publicFate(Random& rng, std::size_t ownOnly, std::size_t unused) {
    const std::size_t r = rng.below(100);
    if (r < unused) return Fate::Unused;
    if (r < unused + ownOnly) return Fate::OwnModuleOnly;
    return Fate::Used;
}

Member makeMember(MemberKind kind, std::string name, Fate fate, Random& rng) {
    Member m;
    m.kind = kind;
    m.name = std::move(name);
    m.fate = fate;
    m.isPublic = true;
    switch (kind) {
        case MemberKind::Sub:
        case MemberKind::Function: {
            const std::size_t r = rng.below(100);
            m.params = static_cast<std::uint8_t>(r < 25 ? 0 : r < 60 ? 1 : r < 85 ? 2 : 3);
            for (std::size_t p = 0; p < m.params; ++p) m.paramTypes[p] = paramType(rng);
            if (kind == MemberKind::Function) {
                m.type = valueType(rng);
                m.typeChar = m.type == VarType::String && rng.percent(30);
            }
            break;
        }
        case MemberKind::Property:
            m.type = valueType(rng);
            m.readOnly = rng.percent(25);
            break;
        case MemberKind::Variable:
            m.type = valueType(rng);
            break;
        case MemberKind::Const:
            m.type = constType(rng);
            break;
        case MemberKind::Record:
            m.detail = fieldMask(rng);
            break;
        case MemberKind::Declare:
            break;
    }
    return m;
}

// ----------------------------------------------------------------------------- planning

constexpr std::size_t kLinesPerModule = 700;
constexpr std::size_t kMinModules = 10;
constexpr std::size_t kMinBudget = 60;

struct KindCounts {
    std::size_t forms = 0, classes = 0, standard = 0, controls = 0;
};

// 42% forms, 26% classes, 10% user controls and the rest standard modules, with room for the
// modules every project has.
KindCounts kindCounts(std::size_t n) {
    KindCounts c;
    c.classes = std::max<std::size_t>(2, n * 26 / 100);
    c.controls = std::max<std::size_t>(1, n * 10 / 100);
    c.forms = std::max<std::size_t>(1, n * 42 / 100);
    c.standard = std::max<std::size_t>(5, n - std::min(n, c.forms + c.classes + c.controls));
    c.forms = n - c.classes - c.controls - c.standard;
    return c;
}

std::string_view prefixOf(ModuleKind kind) {
    switch (kind) {
        case ModuleKind::Form:
            return "frm";
        case ModuleKind::Class:
            return "cls";
        case ModuleKind::Standard:
            return "mod";
        default:
            return "ctl";
    }
}

std::span<const std::string_view> suffixesOf(ModuleKind kind) {
    static constexpr std::array forms{"List"sv,   "Edit"sv,  "Entry"sv,  "Detail"sv, "Search"sv,
                                      "Master"sv, "Print"sv, "Select"sv, "View"sv,   "Summary"sv};
    static constexpr std::array classes{""sv,        "Item"sv, "Record"sv, "Manager"sv,
                                        "Service"sv, "Info"sv, "Set"sv};
    static constexpr std::array standard{""sv, "Util"sv, "Common"sv, "Func"sv, "Db"sv, "Proc"sv};
    static constexpr std::array controls{"Grid"sv, "Gauge"sv, "Picker"sv, "Panel"sv,
                                         "Box"sv,  "Bar"sv,   "Button"sv, "Viewer"sv};
    switch (kind) {
        case ModuleKind::Form:
            return forms;
        case ModuleKind::Class:
            return classes;
        case ModuleKind::Standard:
            return standard;
        default:
            return controls;
    }
}

std::string entryFor(ModuleKind kind, const std::string& name, Random& rng) {
    static constexpr std::array folders{"Forms"sv, "Classes"sv, "Modules"sv, "Controls"sv};
    static constexpr std::array extensions{".frm"sv, ".cls"sv, ".bas"sv, ".ctl"sv};
    const auto k = static_cast<std::size_t>(kind);
    std::string file = name + std::string(extensions[k]);
    if (!rng.percent(65)) return file;
    return std::string(folders[k]) + "\\" + file;
}

void addModule(ProjectPlan& plan, ModuleKind kind, Role role, std::string_view fixedName,
               std::string_view fixedNoun, Random& rng) {
    ModulePlan m;
    m.kind = kind;
    m.role = role;
    if (fixedName.empty()) {
        m.name = claimName(plan.names, nullptr, [&] {
            m.noun = std::string(rng.pick(kNouns));
            return std::string(prefixOf(kind)) + m.noun + std::string(rng.pick(suffixesOf(kind)));
        });
    } else {
        m.name = std::string(fixedName);
        m.noun = std::string(fixedNoun);
        plan.names.add(m.name);
    }
    m.entry = entryFor(kind, m.name, rng);
    m.tabs = rng.percent(8);
    plan.modules.push_back(std::move(m));
}

// In the project file's order: forms, standard modules, classes, user controls.
void addModules(ProjectPlan& plan, const KindCounts& counts, Random& rng) {
    addModule(plan, ModuleKind::Form, Role::MainForm, "frmMain", "Main", rng);
    for (std::size_t k = 1; k < counts.forms; ++k)
        addModule(plan, ModuleKind::Form, Role::Plain, "", "", rng);
    addModule(plan, ModuleKind::Standard, Role::Startup, "modMain", "Startup", rng);
    addModule(plan, ModuleKind::Standard, Role::Globals, "modGlobals", "Global", rng);
    addModule(plan, ModuleKind::Standard, Role::Api, "modApi", "Api", rng);
    addModule(plan, ModuleKind::Standard, Role::Util, "modUtil", "Util", rng);
    addModule(plan, ModuleKind::Standard, Role::Math, "modMath", "Math", rng);
    for (std::size_t k = 5; k < counts.standard; ++k)
        addModule(plan, ModuleKind::Standard, Role::Plain, "", "", rng);
    addModule(plan, ModuleKind::Class, Role::Shape, "IShape", "Shape", rng);
    for (std::size_t k = 1; k < counts.classes; ++k)
        addModule(plan, ModuleKind::Class, Role::Plain, "", "", rng);
    for (std::size_t k = 0; k < counts.controls; ++k)
        addModule(plan, ModuleKind::Control, Role::Plain, "", "", rng);
}

// A few modules of 5,000 to 15,000 lines (the main form, the big business modules), the rest
// spread around a few hundred lines, all together about `lines`.
void assignBudgets(ProjectPlan& plan, std::size_t lines, Random& rng) {
    std::vector<std::uint32_t> bigCandidates;
    std::vector<std::uint32_t> rest;
    for (std::uint32_t i = 0; i < plan.modules.size(); ++i) {
        const ModulePlan& m = plan.modules[i];
        if (m.role == Role::Shape) continue;
        const bool mayBeBig = m.kind == ModuleKind::Form || m.kind == ModuleKind::Standard;
        (mayBeBig ? bigCandidates : rest).push_back(i);
    }
    shuffle(bigCandidates, rng);
    std::size_t bigTotal = 0;
    std::size_t bigCount = 0;
    const std::size_t wanted = std::min(plan.modules.size() / 60, bigCandidates.size());
    for (; bigCount < wanted; ++bigCount) {
        const std::size_t size = rng.between(5000, 15000);
        if (bigTotal + size > lines * 3 / 10) break;
        plan.modules[bigCandidates[bigCount]].budget = size;
        bigTotal += size;
    }
    rest.insert(rest.end(), bigCandidates.begin() + static_cast<std::ptrdiff_t>(bigCount),
                bigCandidates.end());
    std::vector<double> sizes;
    double sum = 0;
    for (std::size_t k = 0; k < rest.size(); ++k) {
        sizes.push_back(std::clamp(rng.logNormal(420.0, 0.75), 100.0, 1500.0));
        sum += sizes.back();
    }
    const double room = static_cast<double>(lines > bigTotal ? lines - bigTotal : 0);
    const double scale = sum > 0 ? room / sum : 0;
    for (std::size_t k = 0; k < rest.size(); ++k)
        plan.modules[rest[k]].budget =
            std::max(kMinBudget, static_cast<std::size_t>(std::lround(sizes[k] * scale)));
}

std::string procedureName(const ModulePlan& m, NameSet& names, Random& rng) {
    return claimName(names, nullptr, [&] {
        return std::string(rng.pick(kVerbs)) + m.noun + std::string(rng.pick(kAttrs));
    });
}

std::string propertyName(const ModulePlan& m, NameSet& names, Random& rng) {
    return claimName(names, nullptr, [&] {
        if (rng.percent(50))
            return std::string(rng.pick(kAdjectives)) + std::string(rng.pick(kAttrs));
        return m.noun + std::string(rng.pick(kAttrs));
    });
}

void addPublic(ModulePlan& m, MemberKind kind, std::string name, Fate fate, Random& rng) {
    m.publics.push_back(makeMember(kind, std::move(name), fate, rng));
}

void addProcedures(ModulePlan& m, NameSet& names, std::size_t count, std::size_t ownOnly,
                   std::size_t unused, Random& rng) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t r = rng.below(100);
        const MemberKind kind = r < 50 ? MemberKind::Function : MemberKind::Sub;
        addPublic(m, kind, procedureName(m, names, rng), publicFate(rng, ownOnly, unused), rng);
    }
}

void addProperties(ModulePlan& m, NameSet& names, std::size_t count, std::size_t ownOnly,
                   std::size_t unused, Random& rng) {
    for (std::size_t k = 0; k < count; ++k)
        addPublic(m, MemberKind::Property, propertyName(m, names, rng),
                  publicFate(rng, ownOnly, unused), rng);
}

void addEnum(ModulePlan& m, NameSet& names, Random& rng) {
    m.enumName = claimName(names, nullptr, [&] {
        static constexpr std::array endings{"Kind"sv, "State"sv, "Mode"sv};
        return "e" + m.noun + std::string(rng.pick(endings));
    });
    const std::string prefix = lowerCase(m.noun.substr(0, std::min<std::size_t>(3, m.noun.size())));
    const std::size_t count = rng.between(3, kEnumStates.size());
    for (std::size_t k = 0; k < count; ++k)
        m.enumMembers.push_back(
            claimName(names, nullptr, [&] { return prefix + std::string(kEnumStates[k]); }));
}

void planSpecialPublics(ModulePlan& m, NameSet& names, Random& rng) {
    auto fixed = [&](MemberKind kind, std::string_view name) -> Member& {
        names.add(name);
        m.publics.push_back(makeMember(kind, std::string(name), Fate::Used, rng));
        return m.publics.back();
    };
    switch (m.role) {
        case Role::Globals:
            // gCount is the name whose letter case varies from module to module.
            fixed(MemberKind::Variable, "gCount").type = VarType::Long;
            fixed(MemberKind::Variable, "gUserName").type = VarType::String;
            fixed(MemberKind::Variable, "gDbPath").type = VarType::String;
            break;
        case Role::Api:
            for (std::uint32_t k = 0; k < kPublicApis.size(); ++k) {
                Member& api = fixed(MemberKind::Declare, kPublicApis[k].name);
                api.detail = k;
                api.type = VarType::Long;
                if (k == kPublicApis.size() - 1) api.fate = Fate::Unused;
            }
            break;
        case Role::Util: {
            Member& helper = fixed(MemberKind::Sub, "Helper");
            helper.params = 1;
            helper.paramTypes[0] = VarType::String;
            break;
        }
        case Role::Math: {
            Member& clamp = fixed(MemberKind::Function, "Clamp");
            clamp.type = VarType::Long;
            clamp.typeChar = false;
            clamp.params = 3;
            clamp.paramTypes = {VarType::Long, VarType::Long, VarType::Long, VarType::Long};
            break;
        }
        case Role::Shape: {
            Member& draw = fixed(MemberKind::Sub, "Draw");
            draw.params = 0;
            Member& area = fixed(MemberKind::Property, "Area");
            area.type = VarType::Double;
            area.readOnly = true;
            break;
        }
        default:
            break;
    }
}

void planStandardPublics(ModulePlan& m, NameSet& names, Random& rng) {
    const std::size_t b = m.budget;
    addProcedures(m, names, std::clamp<std::size_t>(b / 110, 1, 80), 13, 15, rng);
    if (rng.percent(15)) addProperties(m, names, 1, 13, 15, rng);
    const std::size_t variables = b / 500 + rng.below(2);
    for (std::size_t k = 0; k < variables; ++k)
        addPublic(
            m, MemberKind::Variable,
            claimName(names, nullptr, [&] { return "g" + m.noun + std::string(rng.pick(kAttrs)); }),
            publicFate(rng, 13, 15), rng);
    const std::size_t consts = b / 350 + 1;
    for (std::size_t k = 0; k < consts; ++k)
        addPublic(m, MemberKind::Const,
                  claimName(names, nullptr,
                            [&] { return upperCase(m.noun) + "_" + upperCase(rng.pick(kAttrs)); }),
                  publicFate(rng, 13, 15), rng);
    const std::size_t records = b >= 400 ? rng.below(2) + b / 4000 : 0;
    for (std::size_t k = 0; k < records; ++k)
        addPublic(
            m, MemberKind::Record,
            claimName(names, nullptr, [&] { return "t" + m.noun + std::string(rng.pick(kAttrs)); }),
            publicFate(rng, 13, 15), rng);
    if (rng.percent(30)) addEnum(m, names, rng);
}

void planPublics(ModulePlan& m, NameSet& names, Random& rng) {
    planSpecialPublics(m, names, rng);
    if (m.role == Role::Shape) return;
    const std::size_t b = m.budget;
    switch (m.kind) {
        case ModuleKind::Standard:
            planStandardPublics(m, names, rng);
            break;
        case ModuleKind::Class:
            addProperties(m, names, std::clamp<std::size_t>(b / 170, 1, 25), 10, 15, rng);
            addProcedures(m, names, std::clamp<std::size_t>(b / 130, 1, 40), 10, 15, rng);
            if (rng.percent(30))
                addPublic(m, MemberKind::Variable, propertyName(m, names, rng),
                          publicFate(rng, 10, 15), rng);
            if (rng.percent(15)) addEnum(m, names, rng);
            break;
        case ModuleKind::Form:
            addProcedures(m, names, b / 600 + (rng.percent(30) ? 1 : 0), 5, 15, rng);
            if (rng.percent(25))
                addPublic(m, MemberKind::Variable, propertyName(m, names, rng),
                          publicFate(rng, 5, 15), rng);
            break;
        case ModuleKind::Control:
            addProperties(m, names, std::clamp<std::size_t>(b / 160, 1, 12), 10, 15, rng);
            addProcedures(m, names, rng.below(3), 10, 15, rng);
            break;
    }
}

void planHosting(ProjectPlan& plan, Random& rng) {
    std::vector<std::uint32_t> forms;
    for (std::uint32_t i = 0; i < plan.modules.size(); ++i)
        if (plan.modules[i].kind == ModuleKind::Form) forms.push_back(i);
    for (std::uint32_t c = 0; c < plan.modules.size(); ++c) {
        ModulePlan& control = plan.modules[c];
        if (control.kind != ModuleKind::Control) continue;
        control.raisesChanged = rng.percent(60);
        const std::size_t hosts = rng.between(1, 3);
        for (std::size_t k = 0; k < hosts; ++k) {
            const std::uint32_t f = rng.pick(forms);
            ModulePlan& form = plan.modules[f];
            std::size_t already = 0;
            for (const Hosted& h : form.hosted) already += h.control == c ? 1 : 0;
            form.hosted.push_back({c, control.name + std::to_string(already + 1)});
            control.hostForms.push_back(f);
        }
    }
}

void planClasses(ProjectPlan& plan, Random& rng) {
    for (std::uint32_t i = 0; i < plan.modules.size(); ++i) {
        ModulePlan& m = plan.modules[i];
        if (m.kind != ModuleKind::Class || m.role == Role::Shape) continue;
        plan.classes.push_back(i);
        m.raisesChanged = rng.percent(30);
        m.implementsShape = rng.percent(10);
        if (m.implementsShape) plan.shapes.push_back(i);
    }
    if (plan.shapes.empty()) {
        plan.shapes.push_back(plan.classes.front());
        plan.modules[plan.classes.front()].implementsShape = true;
    }
}

class CallerPicker {
  public:
    explicit CallerPicker(const ProjectPlan& plan) {
        std::size_t total = 0;
        for (const ModulePlan& m : plan.modules) {
            total += m.role == Role::Shape ? 0 : m.budget;
            cumulative_.push_back(total);
        }
    }
    // A module other than `owner`, more often a big one: big modules use more names.
    std::uint32_t pick(std::uint32_t owner, Random& rng) const {
        for (int attempt = 0; attempt < 8; ++attempt) {
            const std::size_t at = rng.below(cumulative_.back());
            const auto it = std::upper_bound(cumulative_.begin(), cumulative_.end(), at);
            const auto m = static_cast<std::uint32_t>(it - cumulative_.begin());
            if (m != owner) return m;
        }
        return owner == 0 ? 1 : 0;
    }

  private:
    std::vector<std::size_t> cumulative_;
};

// Every Public member used across modules gets the module (or two) that will use it: a user
// control's members are used by a form it is placed on.
void assignUses(ProjectPlan& plan, Random& rng) {
    const CallerPicker picker(plan);
    for (std::uint32_t i = 0; i < plan.modules.size(); ++i) {
        const ModulePlan& owner = plan.modules[i];
        for (std::uint32_t j = 0; j < owner.publics.size(); ++j) {
            if (owner.publics[j].fate != Fate::Used) continue;
            const std::size_t callers = owner.role == Role::Shape ? 3 : rng.percent(30) ? 2 : 1;
            for (std::size_t k = 0; k < callers; ++k) {
                const std::uint32_t caller = owner.kind == ModuleKind::Control
                                                 ? rng.pick(owner.hostForms)
                                                 : picker.pick(i, rng);
                plan.modules[caller].uses.push_back({i, j});
            }
        }
    }
}

void collectShared(ProjectPlan& plan) {
    for (std::uint32_t i = 0; i < plan.modules.size(); ++i) {
        const ModulePlan& m = plan.modules[i];
        if (m.kind != ModuleKind::Standard) continue;
        for (std::uint32_t j = 0; j < m.publics.size(); ++j) {
            const Member& p = m.publics[j];
            if (p.fate != Fate::Used) continue;
            if (p.kind == MemberKind::Sub) plan.sharedSubs.push_back({i, j});
            if (categoryOf(p.type) != Category::Number) continue;
            if (p.kind == MemberKind::Function) plan.sharedFunctions.push_back({i, j});
            if (p.kind == MemberKind::Variable) plan.sharedVariables.push_back({i, j});
        }
    }
}

bool isIdentifier(std::string_view s) {
    if (s.empty() || s.size() > 40) return false;
    if (!std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

ProjectPlan planProject(const RealShape& shape, const std::string& stem, Random& rng) {
    ProjectPlan plan;
    // User control instances on forms are written Project.Control: the name must be one.
    plan.projectName = isIdentifier(stem) ? stem : "Project1";
    plan.names.add(plan.projectName);
    const std::size_t n = std::max(
        kMinModules,
        shape.modules != 0 ? shape.modules : (shape.lines + kLinesPerModule / 2) / kLinesPerModule);
    addModules(plan, kindCounts(n), rng);
    assignBudgets(plan, shape.lines, rng);
    for (ModulePlan& m : plan.modules) planPublics(m, plan.names, rng);
    planHosting(plan, rng);
    planClasses(plan, rng);
    assignUses(plan, rng);
    collectShared(plan);
    return plan;
}

// ----------------------------------------------------------------------------- module text

// One module's text in UTF-8 with CR LF, and its line count.
class ModuleText {
  public:
    explicit ModuleText(bool tabs) : indent_(tabs ? "\t" : "    ") {}
    void add(std::string_view line) {
        text_.append(line);
        text_.append("\r\n");
        ++lines_;
    }
    void add(int depth, std::string_view line) {
        for (int d = 0; d < depth; ++d) text_.append(indent_);
        add(line);
    }
    std::size_t lines() const { return lines_; }
    const std::string& text() const { return text_; }

  private:
    std::string indent_;
    std::string text_;
    std::size_t lines_ = 0;
};

// A designer property line as VB6 writes it: the name padded to 16 columns.
std::string property(int depth, std::string_view name, std::string_view value) {
    std::string line(static_cast<std::size_t>(depth) * 3, ' ');
    line += name;
    if (name.size() < 16) line.append(16 - name.size(), ' ');
    line += "=   ";
    line += value;
    return line;
}

std::string inQuotes(std::string_view s) {
    return "\"" + std::string(s) + "\"";
}

std::string hex4(std::size_t n) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s(4, '0');
    for (int k = 3; k >= 0; --k, n >>= 4) s[static_cast<std::size_t>(k)] = kDigits[n & 15];
    return s;
}

std::string fileStem(const std::string& entry) {
    const std::size_t slash = entry.find_last_of('\\');
    const std::string file = slash == std::string::npos ? entry : entry.substr(slash + 1);
    return file.substr(0, file.find_last_of('.'));
}

// ----------------------------------------------------------------------------- module scope

enum class ControlKind : std::uint8_t {
    Button,
    TextBox,
    Label,
    Combo,
    List,
    Check,
    Option,
    Frame,
    Picture,
    Timer,
    ListView,
    User
};

struct FormControl {
    std::string name;
    ControlKind kind = ControlKind::Button;
    std::uint32_t userControl = 0;  // User: the user control's module
};

struct Local {
    std::string name;
    VarType type = VarType::Long;
    std::string typeName;            // Object: the class; Record: the Type
    std::uint32_t objectModule = 0;  // Object: the class's module
    std::uint32_t fields = 0;        // Record: its fields
    bool used = true;
    bool array = false;
    bool referenced = false;
    bool created = false;  // Object: a "Set ... = New" line was written
};

struct Param {
    std::string name;
    VarType type = VarType::Long;
};

struct Task {
    std::uint32_t owner = 0;  // the module that declares the member
    const Member* member = nullptr;
    bool foreign = false;
    bool withNew = false;  // a class member used inside "With New Class"
};

enum class BodyKind : std::uint8_t { General, PropertyGet, PropertyLet, Fixed };

struct Procedure {
    std::vector<std::string> head;   // the header, over several lines when continued
    std::string exitWord = "Sub";    // Sub, Function or Property
    const Member* member = nullptr;  // what it declares; none for event procedures
    std::string resultName;          // a Function's name, to assign its result to
    VarType resultType = VarType::Long;
    std::vector<Param> params;
    std::size_t size = 0;  // lines wanted, header to the empty line after it
    BodyKind body = BodyKind::General;
    std::string backing;             // properties: the Private variable behind
    std::vector<std::string> fixed;  // Fixed: the body's lines
    std::vector<Task> tasks;
    bool errorHandler = false;
    bool comment = false;  // a comment line above the header
};

struct Named {
    std::string name;
    Category category = Category::Number;
};

struct ModuleContext {
    ModuleContext(const ProjectPlan& p, std::uint32_t s, Random& r)
        : plan(p), self(s), module(p.modules[s]), rng(r), out(module.tabs) {}
    const ProjectPlan& plan;
    std::uint32_t self;
    const ModulePlan& module;
    Random& rng;
    ModuleText out;
    std::deque<Member> privates;  // a deque: tasks point at its members
    NameSet names;                // the module's own names
    std::vector<FormControl> controls;
    std::vector<Named> variables;  // module-level variables any procedure may use
    std::vector<Named> constants;
    std::vector<const Member*> callable;  // procedures any procedure of the module may call
    std::vector<std::string> backing;     // per Public member: its Property's variable
    std::string withEventsName;
    std::uint32_t withEventsClass = 0;
    double dimsPerLine = 0;
};

std::string jpComment(Random& rng) {
    return "' " + std::string(rng.pick(kComments));
}

std::string literalOf(VarType t, Random& rng) {
    switch (categoryOf(t)) {
        case Category::Text:
            return inQuotes(rng.percent(50) ? rng.pick(kTexts) : rng.pick(kAttrs));
        case Category::Flag:
            return rng.percent(50) ? "True" : "False";
        case Category::Moment:
            return rng.percent(50) ? "Date" : "#4/1/2024#";
        default: {
            static constexpr std::array numbers{"0"sv,  "1"sv,  "2"sv,   "3"sv,   "5"sv,
                                                "10"sv, "12"sv, "100"sv, "255"sv, "1000"sv};
            return std::string(rng.pick(numbers));
        }
    }
}

const ModulePlan& ownerOf(const ModuleContext& m, const Task& t) {
    return m.plan.modules[t.owner];
}

// ----------------------------------------------------------------------------- bodies

enum class StatementKind : std::uint8_t {
    Number,
    Text,
    Flag,
    ColonPair,
    Comment,
    Continued,
    DebugPrint,
    Control,
    Shared,
    Message,
    OneLineIf,
    OwnCall,
    If,
    For,
    Do,
    Select,
    With,
    ConditionalCompilation
};

struct WeightedStatement {
    StatementKind kind;
    std::size_t weight;
    bool compound = false;       // a block of several lines
    bool needsControls = false;  // forms and user controls only
};

// How often each kind of statement comes, roughly as in the business code of desktop
// programs: mostly assignments, comments and calls, an If block every few lines.
constexpr std::array kStatements{WeightedStatement{StatementKind::Number, 14},
                                 WeightedStatement{StatementKind::Text, 9},
                                 WeightedStatement{StatementKind::Flag, 4},
                                 WeightedStatement{StatementKind::ColonPair, 3},
                                 WeightedStatement{StatementKind::Comment, 7},
                                 WeightedStatement{StatementKind::Continued, 3},
                                 WeightedStatement{StatementKind::DebugPrint, 2},
                                 WeightedStatement{StatementKind::Control, 8, false, true},
                                 WeightedStatement{StatementKind::Shared, 5},
                                 WeightedStatement{StatementKind::Message, 2},
                                 WeightedStatement{StatementKind::OneLineIf, 3},
                                 WeightedStatement{StatementKind::OwnCall, 4},
                                 WeightedStatement{StatementKind::If, 10, true},
                                 WeightedStatement{StatementKind::For, 4, true},
                                 WeightedStatement{StatementKind::Do, 1, true},
                                 WeightedStatement{StatementKind::Select, 3, true},
                                 WeightedStatement{StatementKind::With, 3, true},
                                 WeightedStatement{StatementKind::ConditionalCompilation, 1, true}};

class BodyWriter {
  public:
    BodyWriter(ModuleContext& m, const Procedure& proc, std::vector<Local>& locals)
        : m_(m), rng_(m.rng), proc_(proc), locals_(locals), tasks_(proc.tasks) {
        shuffle(tasks_, rng_);
    }

    // About `lines` lines of statements; then whatever task is left and a use of every used
    // local that none referenced yet, so that each declaration meets the fate it was given.
    void write(std::size_t lines) {
        if (proc_.errorHandler) emit(1, "On Error GoTo ErrHandler");
        // The statements leave room for what is owed, which shrinks as they go.
        const std::size_t start = m_.out.lines();
        for (;;) {
            const std::size_t done = m_.out.lines() - start;
            const std::size_t wanted = lines > owed() ? lines - owed() : 0;
            if (done >= wanted) break;
            statements(wanted - done, 1);
        }
        while (!tasks_.empty()) task(1);
        for (Local& l : locals_)
            if (l.used && !l.referenced) useLocal(l, 1);
        if (!proc_.resultName.empty())
            emit(1, proc_.resultName + " = " + value(categoryOf(proc_.resultType)));
        for (const Local& l : locals_)
            if (l.type == VarType::Object && l.created) emit(1, "Set " + l.name + " = Nothing");
        if (!proc_.errorHandler) return;
        emit(1, "Exit " + proc_.exitWord);
        emit(0, "ErrHandler:");
        emit(1, "MsgBox \"エラーが発生しました: \" & Err.Description, vbCritical, " +
                    inQuotes(m_.module.name));
    }

  private:
    void emit(int depth, const std::string& line) { m_.out.add(depth, line); }

    // Lines the body owes besides its statements: a line for each task and for each used local
    // not referenced yet, written at the end if the statements did not take them, and the
    // release of each object.
    std::size_t owed() const {
        std::size_t n = tasks_.size();
        for (const Local& l : locals_) {
            n += l.used && !l.referenced ? 1 : 0;
            n += l.used && l.type == VarType::Object ? 1 : 0;
        }
        return n;
    }

    void statements(std::size_t lines, int depth) {
        const std::size_t end = m_.out.lines() + lines;
        while (m_.out.lines() < end) {
            const std::size_t left = end - m_.out.lines();
            // Tasks and first uses are spread over the body rather than heaped at its end.
            if (!tasks_.empty() && rng_.below(left + 1) < tasks_.size() * 2) {
                task(depth);
                continue;
            }
            if (Local* l = pending(Category::None); l != nullptr && rng_.percent(20)) {
                useLocal(*l, depth);
                continue;
            }
            statement(left, depth);
        }
    }

    // One statement of a kind drawn by the weights of kStatements; a compound one (a block)
    // only where there is room for its lines and the nesting is not too deep.
    void statement(std::size_t room, int depth) {
        const bool compound = room >= 3 && depth < 4;
        auto eligible = [&](const WeightedStatement& w) {
            return (compound || !w.compound) && (!w.needsControls || !m_.controls.empty());
        };
        std::size_t total = 0;
        for (const WeightedStatement& w : kStatements) total += eligible(w) ? w.weight : 0;
        std::size_t r = rng_.below(total);
        for (const WeightedStatement& w : kStatements) {
            if (!eligible(w)) continue;
            if (r < w.weight) return statement(w.kind, room, depth);
            r -= w.weight;
        }
    }

    void statement(StatementKind kind, std::size_t room, int depth) {
        switch (kind) {
            case StatementKind::Number:
                return assignNumber(depth);
            case StatementKind::Text:
                return assignText(depth);
            case StatementKind::Flag:
                return assignFlag(depth);
            case StatementKind::ColonPair:
                return colonPair(depth);
            case StatementKind::Comment:
                return comment(depth);
            case StatementKind::Continued:
                return continuedText(depth);
            case StatementKind::DebugPrint:
                return debugPrint(depth);
            case StatementKind::Control:
                return controlStatement(depth);
            case StatementKind::Shared:
                return sharedUse(depth);
            case StatementKind::Message:
                return message(depth);
            case StatementKind::OneLineIf:
                return oneLineIf(depth);
            case StatementKind::OwnCall:
                return ownCall(depth);
            case StatementKind::If:
                return ifBlock(room, depth);
            case StatementKind::For:
                return forLoop(room, depth);
            case StatementKind::Do:
                return doLoop(room, depth);
            case StatementKind::Select:
                return selectCase(room, depth);
            case StatementKind::With:
                return withBlock(depth);
            case StatementKind::ConditionalCompilation:
                return conditionalCompilation(depth);
        }
    }

    // ---- operands

    Local* pending(Category c) {
        for (Local& l : locals_)
            if (l.used && !l.referenced &&
                (c == Category::None || (!l.array && categoryOf(l.type) == c)))
                return &l;
        return nullptr;
    }

    std::string localName(Local& l) {
        l.referenced = true;
        if (l.type == VarType::String && rng_.percent(20)) return l.name + "$";
        return l.name;
    }

    // A variable of the category: a local not referenced yet first, then any local, parameter
    // or module-level variable.
    std::optional<std::string> variable(Category c) {
        if (Local* l = pending(c); l != nullptr && rng_.percent(60)) return localName(*l);
        std::vector<Local*> locals;
        for (Local& l : locals_)
            if (l.used && !l.array && categoryOf(l.type) == c) locals.push_back(&l);
        std::vector<const std::string*> others;
        for (const Param& p : proc_.params)
            if (categoryOf(p.type) == c) others.push_back(&p.name);
        for (const Named& v : m_.variables)
            if (v.category == c) others.push_back(&v.name);
        const std::size_t total = locals.size() + others.size();
        if (total == 0) return std::nullopt;
        const std::size_t k = rng_.below(total);
        if (k < locals.size()) return localName(*locals[k]);
        return *others[k - locals.size()];
    }

    std::string value(Category c) {
        if (c == Category::None) return "Empty";
        if (!rng_.percent(25))
            if (auto v = variable(c)) return *v;
        if (c == Category::Number && !m_.module.enumMembers.empty() && rng_.percent(10))
            return rng_.pick(m_.module.enumMembers);
        // A comparison where no flag is at hand: "If True And False" is no real code.
        if (c == Category::Flag && rng_.percent(70)) return value(Category::Number) + " > 0";
        if (rng_.percent(15))
            for (const Named& k : m_.constants)
                if (k.category == c && rng_.percent(30)) return k.name;
        return literalOf(c == Category::Text     ? VarType::String
                         : c == Category::Flag   ? VarType::Boolean
                         : c == Category::Moment ? VarType::Date
                                                 : VarType::Long,
                         rng_);
    }

    // Operands are taken only when written: taking one marks a local referenced.
    std::string numberExpression() {
        const std::size_t form = rng_.below(9);
        if (form == 4) return "Len(" + value(Category::Text) + ")";
        if (form == 5) return "Val(" + value(Category::Text) + ")";
        const std::string a = value(Category::Number);
        switch (form) {
            case 0:
                return a + " + " + value(Category::Number);
            case 1:
                return a + " * " + value(Category::Number);
            case 2:
                return a + " - 1";
            case 3:
                return "(" + a + " + " + value(Category::Number) + ") \\ 2";
            case 6:
                return a + " Mod 7";
            case 7:
                return "Int(" + a + " * 1.08)";
            default:
                return a;
        }
    }

    std::string textExpression() {
        switch (rng_.below(9)) {
            case 0:
                return "Trim$(" + value(Category::Text) + ")";
            case 1:
                return "Left$(" + value(Category::Text) + ", 3)";
            case 2:
                return value(Category::Text) + " & " + inQuotes(rng_.pick(kTexts));
            case 3:
                return inQuotes(rng_.pick(kTexts)) + " & CStr(" + value(Category::Number) + ")";
            case 4:
                return "UCase$(" + value(Category::Text) + ")";
            case 5:
                return "Format$(" + value(Category::Number) + ", \"#,##0\")";
            case 6:
                return "Mid$(" + value(Category::Text) + ", 2, 3)";
            case 7:
                return "Format$(" + value(Category::Moment) + ", \"yyyy/mm/dd\")";
            default:
                return value(Category::Text);
        }
    }

    std::string condition() {
        std::string c;
        switch (rng_.below(8)) {
            case 0:
                c = value(Category::Number) + " > 0";
                break;
            case 1:
                c = value(Category::Number) + " = " + value(Category::Number);
                break;
            case 2:
                c = "Len(" + value(Category::Text) + ") = 0";
                break;
            case 3:
                c = value(Category::Text) + " <> \"\"";
                break;
            case 4:
                c = value(Category::Flag);
                break;
            case 5:
                c = "Not " + value(Category::Flag);
                break;
            case 6:
                c = value(Category::Number) + " >= " + value(Category::Number);
                break;
            default:
                c = "IsNumeric(" + value(Category::Text) + ")";
                break;
        }
        if (rng_.percent(15)) c += (rng_.percent(50) ? " And " : " Or ") + value(Category::Flag);
        return c;
    }

    std::string trailing(std::string line) {
        if (rng_.percent(8)) line += "   ' " + std::string(rng_.pick(kComments));
        return line;
    }

    // ---- simple statements

    void assignNumber(int depth) {
        const auto t = variable(Category::Number);
        if (!t) return comment(depth);
        emit(depth, trailing(*t + " = " + numberExpression()));
    }

    void assignText(int depth) {
        const auto t = variable(Category::Text);
        if (!t) return comment(depth);
        emit(depth, trailing(*t + " = " + textExpression()));
    }

    void assignFlag(int depth) {
        const auto t = variable(Category::Flag);
        if (!t) return comment(depth);
        emit(depth, *t + " = (" + condition() + ")");
    }

    // Every variable taken from variable() is written out: taking it marks a local used.
    void colonPair(int depth) {
        const auto a = variable(Category::Number);
        if (!a) return comment(depth);
        const auto b = variable(rng_.percent(50) ? Category::Number : Category::Text);
        if (!b) return emit(depth, *a + " = 0: " + *a + " = " + *a + " + 1");
        emit(depth, *a + " = 0: " + *b + " = " +
                        (b->find('$') != std::string::npos || isText(*b) ? "\"\"" : "0"));
    }

    bool isText(const std::string& name) const {
        for (const Local& l : locals_)
            if (l.name == name) return l.type == VarType::String;
        for (const Param& p : proc_.params)
            if (p.name == name) return p.type == VarType::String;
        for (const Named& v : m_.variables)
            if (v.name == name) return v.category == Category::Text;
        return false;
    }

    void comment(int depth) {
        const std::size_t r = rng_.below(20);
        if (r == 0) return emit(depth, "Rem " + std::string(rng_.pick(kComments)));
        if (r == 1) return emit(depth, "'--- " + std::string(rng_.pick(kComments)) + " ---");
        emit(depth, jpComment(rng_));
    }

    void continuedText(int depth) {
        const auto t = variable(Category::Text);
        if (!t) return comment(depth);
        if (rng_.percent(50)) {
            emit(depth, *t + " = \"SELECT Code, Name FROM M_" + m_.module.noun + " \" & _");
            emit(depth + 2, "\"WHERE Code = \" & CStr(" + value(Category::Number) + ") & _");
            emit(depth + 2, "\" ORDER BY Code\"");
            return;
        }
        emit(depth,
             *t + " = " + inQuotes(rng_.pick(kTexts)) + " & " + value(Category::Text) + " & _");
        emit(depth + 2, inQuotes(rng_.pick(kTexts)) + " & CStr(" + value(Category::Number) + ")");
    }

    void debugPrint(int depth) {
        // A name in a string literal: the procedure's own, or its module's.
        const bool ownName = proc_.member != nullptr && proc_.member->fate != Fate::Unused;
        const std::string where = ownName ? proc_.member->name : m_.module.name;
        emit(depth, "Debug.Print \"" + where + ": \" & " + value(Category::Number));
    }

    void message(int depth) {
        if (rng_.percent(40)) {
            emit(depth,
                 "If MsgBox(\"削除してよろしいですか？\", vbYesNo + vbQuestion) = vbNo Then Exit " +
                     proc_.exitWord);
            return;
        }
        emit(depth, "MsgBox " + inQuotes(rng_.pick(kTexts)) + ", vbInformation, App.Title");
    }

    void oneLineIf(int depth) {
        if (rng_.percent(50)) {
            emit(depth, "If " + condition() + " Then Exit " + proc_.exitWord);
            return;
        }
        const auto t = variable(Category::Text);
        if (!t) return comment(depth);
        emit(depth, "If " + condition() + " Then " + *t + " = \"A\" Else " + *t + " = \"B\"");
    }

    void controlStatement(int depth) {
        const FormControl& c = rng_.pick(m_.controls);
        const std::string& n = c.name;
        switch (c.kind) {
            case ControlKind::Button:
                return emit(depth, n + ".Enabled = " + value(Category::Flag));
            case ControlKind::TextBox:
                if (rng_.percent(50)) return emit(depth, n + ".Text = " + textExpression());
                if (auto t = variable(Category::Text))
                    return emit(depth, *t + " = Trim$(" + n + ".Text)");
                return emit(depth, n + ".SetFocus");
            case ControlKind::Label:
                return emit(depth, n + ".Caption = Format$(" + value(Category::Number) +
                                       ", \"#,##0\") & \"円\"");
            case ControlKind::Combo:
                return emit(depth, n + (rng_.percent(50) ? ".ListIndex = 0"
                                                         : ".AddItem " + value(Category::Text)));
            case ControlKind::List:
                return emit(
                    depth, n + (rng_.percent(50) ? ".Clear" : ".AddItem " + value(Category::Text)));
            case ControlKind::Check:
                if (auto f = variable(Category::Flag))
                    return emit(depth, *f + " = (" + n + ".Value = vbChecked)");
                return emit(depth, n + ".Value = vbUnchecked");
            case ControlKind::Option:
                return emit(depth, n + "(" + std::to_string(rng_.below(2)) + ").Value = True");
            case ControlKind::Frame:
                return emit(depth, n + ".Visible = " + value(Category::Flag));
            case ControlKind::Picture:
                return emit(depth, n + ".Cls");
            case ControlKind::Timer:
                return emit(depth, n + ".Enabled = False");
            case ControlKind::ListView:
                return emit(depth, n + ".ListItems.Clear");
            case ControlKind::User:
                return emit(depth, n + ".Visible = " + value(Category::Flag));
        }
    }

    std::string mixedCase(const std::string& name) {
        // The IDE keeps one spelling per name, but files edited elsewhere do not.
        const std::size_t r = rng_.below(100);
        if (r < 8) return upperCase(name);
        if (r < 12) return lowerCase(name);
        return name;
    }

    void sharedUse(int depth) {
        const auto& plan = m_.plan;
        const std::size_t r = rng_.below(100);
        if (r < 30 && !plan.sharedSubs.empty()) {
            const Ref& sub = rng_.pick(plan.sharedSubs);
            const ModulePlan& owner = plan.modules[sub.module];
            return callSub(owner.publics[sub.member], rng_.percent(40) ? owner.name + "." : "",
                           depth);
        }
        if (r < 60 || plan.sharedFunctions.empty()) {
            if (plan.sharedVariables.empty()) return comment(depth);
            const Ref& v = rng_.pick(plan.sharedVariables);
            const std::string name = mixedCase(plan.modules[v.module].publics[v.member].name);
            emit(depth, name + " = " + name + " + 1");
            return;
        }
        const Ref& fn = rng_.pick(plan.sharedFunctions);
        const ModulePlan& owner = plan.modules[fn.module];
        const Member& f = owner.publics[fn.member];
        const std::string call =
            (rng_.percent(40) ? owner.name + "." : "") + f.name + "(" + arguments(f) + ")";
        if (rng_.percent(30)) {
            if (auto b = variable(Category::Flag)) return emit(depth, *b + " = (" + call + " > 3)");
        }
        if (auto t = variable(Category::Number)) return emit(depth, *t + " = " + call);
        emit(depth, "If " + call + " > 0 Then Exit " + proc_.exitWord);
    }

    void ownCall(int depth) {
        std::vector<const Member*> callees;
        for (const Member* c : m_.callable)
            if (c != proc_.member) callees.push_back(c);
        if (callees.empty()) return comment(depth);
        callMember(*rng_.pick(callees), "", depth);
    }

    // ---- compound statements

    void ifBlock(std::size_t room, int depth) {
        const std::size_t inner = std::min(room - 2, rng_.between(1, 8));
        emit(depth, "If " + condition() + " Then");
        if (inner >= 4 && rng_.percent(40)) {
            const std::size_t first = inner / 2;
            statements(first - 1, depth + 1);
            emit(depth, rng_.percent(50) ? "ElseIf " + condition() + " Then" : std::string("Else"));
            statements(inner - first - 1, depth + 1);
        } else {
            statements(inner, depth + 1);
        }
        emit(depth, "End If");
    }

    void forLoop(std::size_t room, int depth) {
        std::vector<Local*> counters;
        for (Local& l : locals_)
            if (l.used && !l.array && (l.type == VarType::Long || l.type == VarType::Integer))
                counters.push_back(&l);
        if (counters.empty()) return ifBlock(room, depth);
        Local* counter = rng_.pick(counters);
        const std::size_t inner = std::min(room - 2, rng_.between(1, 6));
        counter->referenced = true;
        emit(depth, "For " + counter->name + " = 1 To " + value(Category::Number));
        statements(inner, depth + 1);
        emit(depth, rng_.percent(70) ? "Next " + counter->name : std::string("Next"));
    }

    void doLoop(std::size_t room, int depth) {
        const auto n = variable(Category::Number);
        if (!n) return ifBlock(room, depth);
        const std::size_t inner = std::min(room - 2, rng_.between(1, 4));
        emit(depth, "Do While " + *n + " < " + value(Category::Number));
        if (inner > 1) statements(inner - 1, depth + 1);
        emit(depth + 1, *n + " = " + *n + " + 1");
        emit(depth, "Loop");
    }

    void selectCase(std::size_t room, int depth) {
        const std::size_t cases = std::min<std::size_t>(rng_.between(2, 4), (room - 2) / 2 + 1);
        emit(depth, "Select Case " + value(Category::Number));
        for (std::size_t k = 0; k < cases; ++k) {
            const bool last = k + 1 == cases && k > 0;
            const std::string label = last     ? "Case Else"
                                      : k == 1 ? "Case 2, 3"
                                      : k == 2 ? "Case Is > 10"
                                               : "Case " + std::to_string(k + 1);
            if (rng_.percent(30)) {
                if (const auto t = variable(Category::Text)) {
                    emit(depth, label + ": " + *t + " = " + inQuotes(rng_.pick(kTexts)));
                    continue;
                }
            }
            emit(depth, label);
            statements(rng_.between(1, 2), depth + 1);
        }
        emit(depth, "End Select");
    }

    void withBlock(int depth) {
        for (Local& l : locals_) {
            if (l.type != VarType::Record || !l.used) continue;
            l.referenced = true;
            emit(depth, "With " + l.name);
            for (std::size_t f = 0; f < kFields.size(); ++f)
                if ((l.fields >> f) & 1u)
                    emit(depth + 1, "." + std::string(kFields[f].name) + " = " +
                                        value(categoryOf(kFields[f].type)));
            emit(depth, "End With");
            return;
        }
        std::vector<const FormControl*> boxes;
        for (const FormControl& c : m_.controls)
            if (c.kind == ControlKind::TextBox) boxes.push_back(&c);
        if (!boxes.empty()) {
            emit(depth, "With " + rng_.pick(boxes)->name);
            emit(depth + 1, ".SelStart = 0");
            emit(depth + 1, ".SelLength = Len(.Text)");
            emit(depth, "End With");
            return;
        }
        emit(depth, "With Screen");
        emit(depth + 1, ".MousePointer = vbHourglass");
        emit(depth + 1, "DoEvents");
        emit(depth, "End With");
    }

    void conditionalCompilation(int depth) {
        emit(0, "#If DEBUG_BUILD Then");
        emit(depth, "Debug.Print \"" + m_.module.name + "\", " + value(Category::Number));
        emit(0, "#Else");
        assignNumber(depth);
        emit(0, "#End If");
    }

    // ---- first uses of locals

    void useLocal(Local& l, int depth) {
        l.referenced = true;
        if (l.array) {
            emit(depth, "ReDim " + l.name + "(0 To " + value(Category::Number) + ")");
            return;
        }
        switch (l.type) {
            case VarType::Object:
                if (!l.created) return createObject(l, depth);
                return emit(depth, "If " + l.name + " Is Nothing Then Exit " + proc_.exitWord);
            case VarType::Record:
                for (std::size_t f = 0; f < kFields.size(); ++f)
                    if ((l.fields >> f) & 1u)
                        return emit(depth, l.name + "." + std::string(kFields[f].name) + " = " +
                                               value(categoryOf(kFields[f].type)));
                return;
            default:
                break;
        }
        switch (categoryOf(l.type)) {
            case Category::Text:
                return emit(depth, l.name + " = " + textExpression());
            case Category::Flag:
                return emit(depth, l.name + " = (" + condition() + ")");
            case Category::Moment:
                return emit(depth, l.name + " = DateAdd(\"d\", -7, Date)");
            default:
                return emit(depth, trailing(l.name + " = " + numberExpression()));
        }
    }

    void createObject(Local& l, int depth) {
        l.referenced = true;
        l.created = true;
        const ModulePlan& cls = m_.plan.modules[l.objectModule];
        // The interface is implemented by other classes; the object is one of those.
        const std::string made =
            cls.role == Role::Shape ? m_.plan.modules[rng_.pick(m_.plan.shapes)].name : cls.name;
        emit(depth, "Set " + l.name + " = New " + made);
    }

    // ---- tasks: uses of members that must be used here

    void task(int depth) {
        const Task t = tasks_.back();
        tasks_.pop_back();
        const ModulePlan& owner = ownerOf(m_, t);
        if (t.withNew) {
            emit(depth, "With New " + owner.name);
            callMember(*t.member, ".", depth + 1);
            emit(depth, "End With");
            return;
        }
        callMember(*t.member, qualifier(t, depth), depth);
    }

    std::string qualifier(const Task& t, int depth) {
        const ModulePlan& owner = ownerOf(m_, t);
        if (!t.foreign) {
            const bool objectModule = owner.kind != ModuleKind::Standard;
            return objectModule && t.member->isPublic && rng_.percent(20) ? "Me." : "";
        }
        switch (owner.kind) {
            case ModuleKind::Standard:
                return rng_.percent(40) ? owner.name + "." : "";
            case ModuleKind::Form:
                return owner.name + ".";
            case ModuleKind::Control:
                for (const Hosted& h : m_.module.hosted)
                    if (h.control == t.owner) return h.instance + ".";
                return owner.name + ".";
            case ModuleKind::Class:
                break;
        }
        for (Local& l : locals_) {
            if (l.type != VarType::Object || l.objectModule != t.owner) continue;
            if (!l.created) createObject(l, depth);
            return l.name + ".";
        }
        return owner.name + ".";
    }

    std::string arguments(const Member& m) {
        std::string args;
        for (std::size_t p = 0; p < m.params; ++p) {
            if (p > 0) args += ", ";
            args += value(categoryOf(m.paramTypes[p]));
        }
        return args;
    }

    void callMember(const Member& m, const std::string& q, int depth) {
        switch (m.kind) {
            case MemberKind::Sub:
                return callSub(m, q, depth);
            case MemberKind::Function:
                return callFunction(m, q, depth);
            case MemberKind::Property:
                return useProperty(m, q, depth);
            case MemberKind::Variable:
                return useVariable(m, q, depth);
            case MemberKind::Const:
                return useConst(m, q, depth);
            case MemberKind::Record:
                return useRecord(m, depth);
            case MemberKind::Declare:
                return callApi(m, depth);
        }
    }

    void callSub(const Member& m, const std::string& q, int depth) {
        const std::string args = arguments(m);
        std::string call;
        if (rng_.percent(45))
            call = "Call " + q + m.name + (args.empty() ? "" : "(" + args + ")");
        else
            call = q + m.name + (args.empty() ? "" : " " + args);
        // A call after ":" on a line that begins with another statement.
        if (rng_.percent(10))
            if (auto n = variable(Category::Number)) call = *n + " = 0: " + call;
        emit(depth, trailing(call));
    }

    void callFunction(const Member& m, const std::string& q, int depth) {
        const std::string name = m.typeChar && rng_.percent(60) ? m.name + "$" : m.name;
        const std::string args = arguments(m);
        const std::string call =
            q + name + (args.empty() && rng_.percent(50) ? "" : "(" + args + ")");
        const Category c = categoryOf(m.type);
        const std::size_t r = rng_.below(100);
        if (r < 45)
            if (auto t = variable(c)) return emit(depth, *t + " = " + call);
        if (r < 60 && c == Category::Number)
            if (auto b = variable(Category::Flag)) return emit(depth, *b + " = (" + call + " > 3)");
        // Deep inside nested blocks no further If: a call in an If's body may be one too.
        if (r < 85 && depth < 5) {
            const std::string test = c == Category::Number   ? call + " <> 0"
                                     : c == Category::Text   ? "Len(" + call + ") > 0"
                                     : c == Category::Moment ? call + " > Date"
                                                             : call;
            emit(depth, "If " + test + " Then");
            statements(1, depth + 1);
            emit(depth, "End If");
            return;
        }
        emit(depth, "Call " + q + name + "(" + args + ")");
    }

    void useProperty(const Member& m, const std::string& q, int depth) {
        const Category c = categoryOf(m.type);
        if (!m.readOnly && rng_.percent(50)) return emit(depth, q + m.name + " = " + value(c));
        if (auto t = variable(c)) return emit(depth, *t + " = " + q + m.name);
        emit(depth, "Debug.Print " + q + m.name);
    }

    void useVariable(const Member& m, const std::string& q, int depth) {
        const Category c = categoryOf(m.type);
        const std::string name = q + (q.empty() ? mixedCase(m.name) : m.name);
        if (c == Category::Number) return emit(depth, name + " = " + name + " + 1");
        if (rng_.percent(50)) return emit(depth, name + " = " + value(c));
        if (auto t = variable(c)) return emit(depth, *t + " = " + name);
        emit(depth, "Debug.Print " + name);
    }

    void useConst(const Member& m, const std::string& q, int depth) {
        const Category c = categoryOf(m.type);
        if (c == Category::Text) {
            if (auto t = variable(c))
                return emit(depth, *t + " = " + q + m.name + " & " + value(c));
            return emit(depth, "MsgBox " + q + m.name);
        }
        emit(depth,
             "If " + value(Category::Number) + " > " + q + m.name + " Then Exit " + proc_.exitWord);
    }

    void useRecord(const Member& m, int depth) {
        for (Local& l : locals_) {
            if (l.type != VarType::Record || l.typeName != m.name) continue;
            l.referenced = true;
            emit(depth, l.name + ".Code = " + value(Category::Number));
            return;
        }
    }

    void callApi(const Member& m, int depth) {
        const Api& api = m.isPublic ? kPublicApis[m.detail] : kPrivateApis[m.detail];
        const std::string args(api.args);
        if (!api.function) {
            emit(depth,
                 rng_.percent(50) ? m.name + " " + args : "Call " + m.name + "(" + args + ")");
            return;
        }
        if (auto t = variable(Category::Number))
            return emit(depth, *t + " = " + m.name + "(" + args + ")");
        emit(depth, "Call " + m.name + "(" + args + ")");
    }

    ModuleContext& m_;
    Random& rng_;
    const Procedure& proc_;
    std::vector<Local>& locals_;
    std::vector<Task> tasks_;
};

// ----------------------------------------------------------------------------- modules

constexpr std::size_t kMinProcedure = 5;  // lines: header, a statement or two, end, empty line

class ModuleWriter {
  public:
    ModuleWriter(const ProjectPlan& plan, std::uint32_t self, const RealShape& shape, Random& rng)
        : m_(plan, self, rng), rng_(rng) {
        // Dim lines are drawn per line of a procedure with a body of statements; designer,
        // declaration and property lines hold none, so those procedures carry more than the
        // average (measured: 15% more).
        m_.dimsPerLine = static_cast<double>(shape.dimsPerThousandLines) / 1000.0 * 1.15;
        m_.names.add(m_.module.name);
    }

    ModuleText write() {
        const ModulePlan& mod = m_.module;
        if (mod.role == Role::Shape) {
            writeInterface();
            return std::move(m_.out);
        }
        switch (mod.kind) {
            case ModuleKind::Form:
                writeFormHeader();
                break;
            case ModuleKind::Class:
                writeClassHeader();
                break;
            case ModuleKind::Standard:
                m_.out.add("Attribute VB_Name = " + inQuotes(mod.name));
                break;
            case ModuleKind::Control:
                writeControlHeader();
                break;
        }
        writeDeclarations();
        const std::size_t room = mod.budget > m_.out.lines() ? mod.budget - m_.out.lines() : 0;
        planProcedures(room);
        assignTasks();
        for (Procedure& p : procedures_) writeProcedure(p);
        return std::move(m_.out);
    }

  private:
    // ---- headers

    void writeObjectAttributes(bool creatable, bool predeclared) {
        m_.out.add("Attribute VB_Name = " + inQuotes(m_.module.name));
        m_.out.add("Attribute VB_GlobalNameSpace = False");
        m_.out.add(std::string("Attribute VB_Creatable = ") + (creatable ? "True" : "False"));
        m_.out.add(std::string("Attribute VB_PredeclaredId = ") + (predeclared ? "True" : "False"));
        m_.out.add("Attribute VB_Exposed = False");
    }

    void writeClassHeader() {
        m_.out.add("VERSION 1.0 CLASS");
        m_.out.add("BEGIN");
        m_.out.add("  MultiUse = -1  'True");
        m_.out.add("  Persistable = 0  'NotPersistable");
        m_.out.add("  DataBindingBehavior = 0  'vbNone");
        m_.out.add("  DataSourceBehavior  = 0  'vbNone");
        m_.out.add("  MTSTransactionMode  = 0  'NotAnMTSObject");
        m_.out.add("END");
        writeObjectAttributes(true, false);
    }

    void writeInterface() {
        writeClassHeader();
        m_.out.add("Option Explicit");
        m_.out.add("' 図形のインターフェイス: 実装するクラスが描画と面積を持つ");
        m_.out.add("");
        m_.out.add("Public Sub Draw()");
        m_.out.add("End Sub");
        m_.out.add("");
        m_.out.add("Public Property Get Area() As Double");
        m_.out.add("End Property");
    }

    std::string controlName(std::string_view prefix, std::span<const std::string_view> words) {
        return claimName(m_.names, &m_.plan.names,
                         [&] { return std::string(prefix) + std::string(rng_.pick(words)); });
    }

    void planFormControls(std::size_t count) {
        static constexpr std::array buttons{"OK"sv,     "Cancel"sv, "Save"sv,  "Delete"sv,
                                            "Search"sv, "Print"sv,  "Close"sv, "Clear"sv,
                                            "Add"sv,    "Edit"sv};
        static constexpr std::array texts{"Name"sv, "Code"sv,    "Qty"sv, "Price"sv, "Memo"sv,
                                          "Date"sv, "Address"sv, "Tel"sv, "Mail"sv,  "Kana"sv};
        static constexpr std::array labels{"Title"sv, "Total"sv, "Status"sv, "Message"sv,
                                           "Count"sv};
        static constexpr std::array combos{"Type"sv, "Kind"sv, "Dept"sv, "Unit"sv, "Month"sv};
        static constexpr std::array lists{"Items"sv, "Log"sv, "Files"sv};
        static constexpr std::array checks{"Active"sv, "Print"sv, "All"sv, "Tax"sv};
        static constexpr std::array misc{"Mode"sv, "Sort"sv, "Range"sv};
        static constexpr std::array pictures{"Logo"sv, "Preview"sv, "Status"sv};
        static constexpr std::array timers{"Refresh"sv, "Clock"sv, "Poll"sv};
        static constexpr std::array views{"List"sv, "Items"sv, "Result"sv};
        std::size_t labelNumber = 0;
        bool options = false;
        for (std::size_t k = 0; k < count; ++k) {
            const std::size_t r = rng_.below(100);
            FormControl c;
            if (r < 22)
                c = {controlName("cmd", buttons), ControlKind::Button};
            else if (r < 44)
                c = {controlName("txt", texts), ControlKind::TextBox};
            else if (r < 52)
                c = {controlName("lbl", labels), ControlKind::Label};
            else if (r < 64)
                c = {claimName(m_.names, &m_.plan.names,
                               [&] { return "Label" + std::to_string(++labelNumber); }),
                     ControlKind::Label};
            else if (r < 72)
                c = {controlName("cbo", combos), ControlKind::Combo};
            else if (r < 77)
                c = {controlName("lst", lists), ControlKind::List};
            else if (r < 84)
                c = {controlName("chk", checks), ControlKind::Check};
            else if (r < 88 && !options) {
                options = true;
                c = {controlName("opt", misc), ControlKind::Option};
            } else if (r < 92)
                c = {controlName("pic", pictures), ControlKind::Picture};
            else if (r < 95)
                c = {controlName("tmr", timers), ControlKind::Timer};
            else
                c = {controlName("lvw", views), ControlKind::ListView};
            m_.controls.push_back(c);
        }
        if (options) m_.controls.push_back({controlName("fra", misc), ControlKind::Frame});
        for (const Hosted& h : m_.module.hosted) {
            m_.names.add(h.instance);
            m_.controls.push_back({h.instance, ControlKind::User, h.control});
        }
    }

    std::string vbType(const FormControl& c) const {
        switch (c.kind) {
            case ControlKind::Button:
                return "VB.CommandButton";
            case ControlKind::TextBox:
                return "VB.TextBox";
            case ControlKind::Label:
                return "VB.Label";
            case ControlKind::Combo:
                return "VB.ComboBox";
            case ControlKind::List:
                return "VB.ListBox";
            case ControlKind::Check:
                return "VB.CheckBox";
            case ControlKind::Option:
                return "VB.OptionButton";
            case ControlKind::Frame:
                return "VB.Frame";
            case ControlKind::Picture:
                return "VB.PictureBox";
            case ControlKind::Timer:
                return "VB.Timer";
            case ControlKind::ListView:
                return "MSComctlLib.ListView";
            case ControlKind::User:
                return m_.plan.projectName + "." + m_.plan.modules[c.userControl].name;
        }
        return "VB.Label";
    }

    // One control's block; an option button group is an array inside the frame.
    void writeControl(const FormControl& c, int depth, std::size_t& tab, std::size_t& frx,
                      const std::string& frxName, std::string_view index = {}) {
        ModuleText& o = m_.out;
        // VB6 ends a Begin line with a space.
        o.add(std::string(static_cast<std::size_t>(depth) * 3, ' ') + "Begin " + vbType(c) + " " +
              c.name + " ");
        const int d = depth + 1;
        const std::size_t top = 240 + tab * 420;
        switch (c.kind) {
            case ControlKind::Button:
            case ControlKind::Check:
            case ControlKind::Option:
            case ControlKind::Label:
            case ControlKind::Frame:
                o.add(property(d, "Caption", inQuotes(rng_.pick(kTexts))));
                break;
            case ControlKind::TextBox:
                o.add(property(d, "IMEMode", "4  'ひらがな"));
                o.add(property(d, "Text", "\"\""));
                break;
            case ControlKind::Combo:
                o.add(property(d, "ItemData", inQuotes(frxName) + ":" + hex4(frx)));
                o.add(property(d, "List", inQuotes(frxName) + ":" + hex4(frx + 10)));
                o.add(property(d, "Style", "2  'ﾄﾞﾛｯﾌﾟﾀﾞｳﾝ ﾘｽﾄ"));
                frx += 20;
                break;
            case ControlKind::Picture:
                o.add(property(d, "Picture", inQuotes(frxName) + ":" + hex4(frx)));
                frx += 0x442;
                break;
            case ControlKind::Timer:
                o.add(property(d, "Interval", "1000"));
                break;
            case ControlKind::ListView:
                o.add(property(d, "_ExtentX", "8493"));
                o.add(property(d, "_ExtentY", "3969"));
                o.add(property(d, "View", "3"));
                o.add(property(d, "_Version", "393217"));
                break;
            case ControlKind::User:
                o.add(property(d, "_ExtentX", "5080"));
                o.add(property(d, "_ExtentY", "661"));
                break;
            case ControlKind::List:
                break;
        }
        if (c.kind != ControlKind::Timer) {
            o.add(property(d, "Height", "375"));
            o.add(property(d, "Left", std::to_string(120 + (tab % 3) * 1800)));
            o.add(property(d, "TabIndex", std::to_string(tab)));
        }
        if (!index.empty()) o.add(property(d, "Index", index));
        o.add(property(d, "Top", std::to_string(top)));
        if (c.kind != ControlKind::Timer) o.add(property(d, "Width", "1695"));
        ++tab;
        if (c.kind == ControlKind::Frame) {
            for (const FormControl& option : m_.controls) {
                if (option.kind != ControlKind::Option) continue;
                for (int k = 0; k < 2; ++k)
                    writeControl(option, d, tab, frx, frxName, k == 0 ? "0"sv : "1"sv);
            }
        }
        o.add(std::string(static_cast<std::size_t>(depth) * 3, ' ') + "End");
    }

    void writeFontProperty() {
        ModuleText& o = m_.out;
        o.add("   BeginProperty Font ");
        o.add(property(2, "Name", "\"ＭＳ Ｐゴシック\""));
        o.add(property(2, "Size", "9"));
        o.add(property(2, "Charset", "128"));
        o.add(property(2, "Weight", "400"));
        o.add(property(2, "Underline", "0   'False"));
        o.add(property(2, "Italic", "0   'False"));
        o.add(property(2, "Strikethrough", "0   'False"));
        o.add("   EndProperty");
    }

    void writeFormHeader() {
        const ModulePlan& mod = m_.module;
        planFormControls(std::clamp<std::size_t>(mod.budget / 45, 3, 28));
        const std::string frxName = fileStem(mod.entry) + ".frx";
        ModuleText& o = m_.out;
        o.add("VERSION 5.00");
        const bool listView =
            std::any_of(m_.controls.begin(), m_.controls.end(),
                        [](const auto& c) { return c.kind == ControlKind::ListView; });
        if (listView)
            o.add("Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"");
        o.add("Begin VB.Form " + mod.name + " ");
        o.add(property(1, "BorderStyle", "1  '固定(実線)"));
        o.add(property(1, "Caption", inQuotes(rng_.pick(kCaptions))));
        o.add(property(1, "ClientHeight", std::to_string(600 + m_.controls.size() * 420)));
        o.add(property(1, "ClientLeft", "45"));
        o.add(property(1, "ClientTop", "330"));
        o.add(property(1, "ClientWidth", "6000"));
        writeFontProperty();
        o.add(property(1, rng_.percent(50) ? "Icon" : "Picture", inQuotes(frxName) + ":0000"));
        o.add(property(1, "LinkTopic", "\"Form1\""));
        o.add(property(1, "MaxButton", "0   'False"));
        o.add(property(1, "StartUpPosition", "2  '画面の中央"));
        std::size_t tab = 0;
        std::size_t frx = 0x2F6;
        for (const FormControl& c : m_.controls)
            if (c.kind != ControlKind::Option) writeControl(c, 1, tab, frx, frxName);
        o.add("End");
        writeObjectAttributes(false, true);
    }

    void writeControlHeader() {
        static constexpr std::array parts{"Canvas"sv, "Caption"sv, "Input"sv};
        const ModulePlan& mod = m_.module;
        m_.controls.push_back({controlName("pic", parts), ControlKind::Picture});
        m_.controls.push_back({controlName("lbl", parts), ControlKind::Label});
        if (rng_.percent(50))
            m_.controls.push_back({controlName("txt", parts), ControlKind::TextBox});
        const std::string ctxName = fileStem(mod.entry) + ".ctx";
        ModuleText& o = m_.out;
        o.add("VERSION 5.00");
        o.add("Begin VB.UserControl " + mod.name + " ");
        o.add(property(1, "ClientHeight", "3600"));
        o.add(property(1, "ClientLeft", "0"));
        o.add(property(1, "ClientTop", "0"));
        o.add(property(1, "ClientWidth", "4800"));
        o.add(property(1, "ScaleHeight", "3600"));
        o.add(property(1, "ScaleWidth", "4800"));
        o.add(property(1, "ToolboxBitmap", inQuotes(ctxName) + ":0000"));
        std::size_t tab = 0;
        std::size_t ctx = 0x312;
        for (const FormControl& c : m_.controls) writeControl(c, 1, tab, ctx, ctxName);
        o.add("End");
        writeObjectAttributes(true, false);
    }

    // ---- declarations section

    Member& addPrivate(MemberKind kind, std::string name, Fate fate) {
        Member m = makeMember(kind, std::move(name), fate, rng_);
        m.isPublic = false;
        m_.privates.push_back(std::move(m));
        return m_.privates.back();
    }

    Fate privateFate() { return rng_.percent(85) ? Fate::Used : Fate::Unused; }

    // "m_" or the type's own prefix, as the program's authors wrote them over the years.
    void addPrivateVariable(Fate fate) {
        Member& v = addPrivate(MemberKind::Variable, "", fate);
        static constexpr std::array prefixes{"mlng"sv, "mint"sv, "mstr"sv, "mdbl"sv,
                                             "mcur"sv, "mbln"sv, "mvar"sv, "mdt"sv};
        const bool typed = rng_.percent(50);
        v.name = claimName(m_.names, &m_.plan.names, [&] {
            const std::string attr(rng_.pick(kAttrs));
            if (!typed) return "m_" + lowerFirst(attr);
            return std::string(prefixes[static_cast<std::size_t>(v.type)]) + attr;
        });
    }

    std::string privateProcedureName() {
        const bool form = m_.module.kind == ModuleKind::Form;
        return claimName(m_.names, &m_.plan.names, [&] {
            if (form && rng_.percent(30)) return std::string(rng_.pick(kCommonHelpers));
            std::string name = std::string(rng_.pick(kVerbs)) + std::string(rng_.pick(kAttrs));
            if (rng_.percent(30)) name += rng_.pick(kNouns);
            return name;
        });
    }

    std::string declarationOf(const Member& m, std::string_view scope) const {
        std::string line(scope);
        switch (m.kind) {
            case MemberKind::Const:
                line += " Const " + m.name + " As " + std::string(typeName(m.type)) + " = ";
                if (m.type == VarType::String)
                    return line + inQuotes(kTexts[m.name.size() % kTexts.size()]);
                return line +
                       (m.type == VarType::Double ? "0.08" : std::to_string(m.name.size() * 10));
            case MemberKind::Variable:
                return line + " " + m.name + " As " + std::string(typeName(m.type));
            default:
                return line + " " + m.name;
        }
    }

    void writeApi(const Member& m, std::string_view scope, bool bothWords) {
        const Api& api = m.isPublic ? kPublicApis[m.detail] : kPrivateApis[m.detail];
        const std::string kind = api.function ? "Function " : "Sub ";
        auto line = [&](std::string_view extra, std::string_view tail) {
            std::string text = std::string(scope) + " Declare " + std::string(extra) + kind +
                               m.name + " " + std::string(tail);
            const std::size_t paren = text.find(" (");
            if (text.size() <= 100 || paren == std::string::npos) return m_.out.add(text);
            // A long declaration continued after its library, as people write them.
            m_.out.add(text.substr(0, paren) + " _");
            m_.out.add(1, text.substr(paren + 1));
        };
        if (!bothWords) return line("", api.tail);
        m_.out.add("#If Win64 Then");
        line("PtrSafe ", api.tail64.empty() ? api.tail : api.tail64);
        m_.out.add("#Else");
        line("", api.tail);
        m_.out.add("#End If");
    }

    void writeRecord(const Member& m, std::string_view scope) {
        m_.out.add(jpComment(rng_));
        m_.out.add(std::string(scope) + " Type " + m.name);
        for (std::size_t f = 0; f < kFields.size(); ++f)
            if ((m.detail >> f) & 1u) m_.out.add(1, std::string(kFields[f].declaration));
        m_.out.add("End Type");
    }

    void writeEnum() {
        const ModulePlan& mod = m_.module;
        m_.out.add("Public Enum " + mod.enumName);
        for (std::size_t k = 0; k < mod.enumMembers.size(); ++k)
            m_.out.add(1, mod.enumMembers[k] + " = " + std::to_string(k));
        m_.out.add("End Enum");
    }

    void planPrivateDeclarations() {
        const ModulePlan& mod = m_.module;
        const std::size_t b = mod.budget;
        // Properties keep their value in a Private variable of their own.
        m_.backing.assign(mod.publics.size(), {});
        for (std::size_t k = 0; k < mod.publics.size(); ++k) {
            const Member& p = mod.publics[k];
            if (p.kind != MemberKind::Property) continue;
            Member& v = addPrivate(
                MemberKind::Variable,
                claimName(m_.names, &m_.plan.names, [&] { return "m_" + lowerFirst(p.name); }),
                Fate::Used);
            v.type = p.type;
            v.backing = true;
            m_.backing[k] = v.name;
        }
        const std::size_t variables = b / 300 + rng_.below(3);
        for (std::size_t k = 0; k < variables; ++k) addPrivateVariable(privateFate());
        const std::size_t consts = b / 400 + rng_.below(3);
        for (std::size_t k = 0; k < consts; ++k)
            addPrivate(MemberKind::Const,
                       claimName(m_.names, &m_.plan.names,
                                 [&] { return std::string(rng_.pick(kPrivateConsts)); }),
                       privateFate());
        if (mod.kind != ModuleKind::Standard) return;
        const std::size_t apis = rng_.below(4);
        std::vector<std::uint32_t> rows(kPrivateApis.size());
        for (std::uint32_t k = 0; k < rows.size(); ++k) rows[k] = k;
        shuffle(rows, rng_);
        for (std::size_t k = 0; k < apis; ++k) {
            m_.names.add(kPrivateApis[rows[k]].name);
            addPrivate(MemberKind::Declare, std::string(kPrivateApis[rows[k]].name), privateFate())
                .detail = rows[k];
        }
        if (rng_.percent(15))
            addPrivate(MemberKind::Record,
                       claimName(m_.names, &m_.plan.names,
                                 [&] { return "t" + std::string(rng_.pick(kAttrs)) + "Rec"; }),
                       privateFate());
    }

    void writeBanner() {
        if (!rng_.percent(70)) return;
        const std::string rule = "'------------------------------------------------------------";
        m_.out.add(rule);
        m_.out.add("' " + std::string(rng_.pick(kComments)) + " (" + m_.module.name + ")");
        m_.out.add(rule);
    }

    void writeDeclarations() {
        const ModulePlan& mod = m_.module;
        planPrivateDeclarations();
        if (rng_.percent(95)) m_.out.add("Option Explicit");
        writeBanner();
        if (mod.kind == ModuleKind::Standard && rng_.percent(10))
            m_.out.add("#Const DEBUG_BUILD = 0");
        if (mod.implementsShape) m_.out.add("Implements IShape");
        if (mod.raisesChanged) m_.out.add("Public Event Changed()");
        m_.out.add("");
        writeDeclares();
        for (const Member& p : mod.publics)
            if (p.kind == MemberKind::Record) writeRecord(p, "Public");
        for (const Member& p : m_.privates)
            if (p.kind == MemberKind::Record) writeRecord(p, "Private");
        if (!mod.enumName.empty()) writeEnum();
        for (const Member& p : mod.publics)
            if (p.kind == MemberKind::Const) m_.out.add(declarationOf(p, "Public"));
        for (const Member& p : m_.privates)
            if (p.kind == MemberKind::Const) m_.out.add(declarationOf(p, "Private"));
        writeVariables();
        m_.out.add("");
        collectModuleNames();
    }

    void writeDeclares() {
        const ModulePlan& mod = m_.module;
        for (const Member& p : mod.publics)
            if (p.kind == MemberKind::Declare) writeApi(p, "Public", false);
        const bool wrap = rng_.percent(40);
        bool wrapped = false;
        for (const Member& p : m_.privates) {
            if (p.kind != MemberKind::Declare) continue;
            writeApi(p, "Private", wrap && !wrapped);
            wrapped = true;
        }
    }

    void writeVariables() {
        const ModulePlan& mod = m_.module;
        for (const Member& p : mod.publics)
            if (p.kind == MemberKind::Variable) m_.out.add(declarationOf(p, "Public"));
        for (const Member& p : m_.privates) {
            if (p.kind != MemberKind::Variable) continue;
            // A module-level Dim is a Private variable, as older code writes it.
            std::string line = declarationOf(p, rng_.percent(8) ? "Dim" : "Private");
            if (rng_.percent(20)) line += "   ' " + std::string(rng_.pick(kComments));
            m_.out.add(line);
        }
        if (mod.kind == ModuleKind::Form && rng_.percent(25)) {
            std::vector<std::uint32_t> sources;
            for (std::uint32_t c : m_.plan.classes)
                if (m_.plan.modules[c].raisesChanged) sources.push_back(c);
            if (!sources.empty()) {
                m_.withEventsClass = rng_.pick(sources);
                m_.withEventsName = claimName(m_.names, &m_.plan.names, [&] {
                    return "m_" + lowerFirst(m_.plan.modules[m_.withEventsClass].noun);
                });
                m_.out.add("Private WithEvents " + m_.withEventsName + " As " +
                           m_.plan.modules[m_.withEventsClass].name);
            }
        }
    }

    // The names any procedure of the module may use besides its tasks: never an unused one.
    void collectModuleNames() {
        auto usable = [](const Member& m) { return m.fate != Fate::Unused; };
        for (const Member& p : m_.module.publics) {
            if (!usable(p)) continue;
            if (p.kind == MemberKind::Variable)
                m_.variables.push_back({p.name, categoryOf(p.type)});
            if (p.kind == MemberKind::Const) m_.constants.push_back({p.name, categoryOf(p.type)});
        }
        for (const Member& p : m_.privates) {
            if (!usable(p)) continue;
            if (p.kind == MemberKind::Variable)
                m_.variables.push_back({p.name, categoryOf(p.type)});
            if (p.kind == MemberKind::Const) m_.constants.push_back({p.name, categoryOf(p.type)});
        }
    }

    // ---- procedures

    std::size_t procedureSize() {
        const bool big = m_.module.budget >= 5000;
        const double size = rng_.logNormal(big ? 26.0 : 15.0, 0.8);
        return std::clamp<std::size_t>(static_cast<std::size_t>(size), kMinProcedure,
                                       big ? 400 : 160);
    }

    std::vector<Param> makeParams(const Member& m) {
        std::vector<Param> params;
        std::vector<std::string_view> names(kParamNames.begin(), kParamNames.end());
        shuffle(names, rng_);
        for (std::size_t p = 0; p < m.params; ++p)
            params.push_back({std::string(names[p]), m.paramTypes[p]});
        return params;
    }

    std::vector<std::string> header(std::string first, const std::vector<Param>& params,
                                    const std::string& after) {
        std::vector<std::string> lines;
        std::vector<std::string> parts;
        for (const Param& p : params)
            parts.push_back((rng_.percent(70) ? "ByVal " : "") + p.name + " As " +
                            std::string(typeName(p.type)));
        first += "(";
        if (parts.size() >= 3 && rng_.percent(40)) {
            // A long parameter list continued, one parameter a line.
            const std::string pad(first.size(), ' ');
            for (std::size_t k = 0; k < parts.size(); ++k) {
                const bool last = k + 1 == parts.size();
                lines.push_back((k == 0 ? first : pad) + parts[k] + (last ? ")" + after : ", _"));
            }
            return lines;
        }
        std::string line = first;
        for (std::size_t k = 0; k < parts.size(); ++k) line += (k ? ", " : "") + parts[k];
        lines.push_back(line + ")" + after);
        return lines;
    }

    Procedure procedureFor(const Member& m, std::string_view scope) {
        Procedure p;
        p.member = &m;
        p.params = makeParams(m);
        p.size = procedureSize();
        p.errorHandler = rng_.percent(20);
        if (m.kind == MemberKind::Sub) {
            p.head = header(std::string(scope) + " Sub " + m.name, p.params, "");
            return p;
        }
        p.exitWord = "Function";
        p.resultName = m.name;
        p.resultType = m.type;
        const std::string name = m.name + (m.typeChar ? "$" : "");
        const std::string as = m.typeChar ? "" : " As " + std::string(typeName(m.type));
        p.head = header(std::string(scope) + " Function " + name, p.params, as);
        return p;
    }

    Procedure handler(std::string head) {
        Procedure p;
        p.head = {std::move(head)};
        p.size = procedureSize();
        p.errorHandler = rng_.percent(15);
        return p;
    }

    Procedure fixedProcedure(std::string head, std::vector<std::string> body) {
        Procedure p;
        p.head = {std::move(head)};
        p.body = BodyKind::Fixed;
        p.fixed = std::move(body);
        p.size = p.fixed.size() + 3;
        return p;
    }

    // A class's first member is its default one in some classes, as Value of a control is.
    bool defaultMember(const Member& m) const {
        return m_.module.kind == ModuleKind::Class && &m == &m_.module.publics.front() &&
               m_.module.name.size() % 5 == 0;
    }

    void addPropertyProcedures(std::size_t k) {
        const Member& m = m_.module.publics[k];
        const std::string type(typeName(m.type));
        Procedure get;
        get.member = &m;
        get.exitWord = "Property";
        get.body = BodyKind::PropertyGet;
        get.backing = m_.backing[k];
        get.head = {"Public Property Get " + m.name + "() As " + type};
        // Header, one line, end line, empty line; the Attribute line of a default member.
        get.size = 4 + (defaultMember(m) ? 1 : 0);
        procedures_.push_back(get);
        if (m.readOnly) return;
        Procedure let = get;
        let.body = BodyKind::PropertyLet;
        let.head = {"Public Property Let " + m.name + "(ByVal vNew As " + type + ")"};
        let.size =
            4 + (m_.module.kind == ModuleKind::Control ? 1 : 0) + (m_.module.raisesChanged ? 1 : 0);
        procedures_.push_back(let);
    }

    void addEventProcedures() {
        const ModulePlan& mod = m_.module;
        switch (mod.kind) {
            case ModuleKind::Form:
                return addFormEvents();
            case ModuleKind::Class:
                procedures_.push_back(handler("Private Sub Class_Initialize()"));
                if (rng_.percent(40))
                    procedures_.push_back(handler("Private Sub Class_Terminate()"));
                return;
            case ModuleKind::Control:
                return addControlEvents();
            case ModuleKind::Standard:
                if (mod.role == Role::Startup) procedures_.push_back(handler("Sub Main()"));
                return;
        }
    }

    void addFormEvents() {
        procedures_.push_back(handler("Private Sub Form_Load()"));
        if (rng_.percent(60))
            procedures_.push_back(handler("Private Sub Form_Unload(Cancel As Integer)"));
        if (rng_.percent(30)) procedures_.push_back(handler("Private Sub Form_Resize()"));
        for (const FormControl& c : m_.controls) {
            const std::string& n = c.name;
            switch (c.kind) {
                case ControlKind::Button:
                    procedures_.push_back(handler("Private Sub " + n + "_Click()"));
                    break;
                case ControlKind::TextBox:
                    if (rng_.percent(50))
                        procedures_.push_back(
                            handler("Private Sub " + n + "_KeyPress(KeyAscii As Integer)"));
                    if (rng_.percent(30))
                        procedures_.push_back(handler("Private Sub " + n + "_LostFocus()"));
                    break;
                case ControlKind::Combo:
                case ControlKind::Check:
                    if (rng_.percent(50))
                        procedures_.push_back(handler("Private Sub " + n + "_Click()"));
                    break;
                case ControlKind::List:
                    if (rng_.percent(50))
                        procedures_.push_back(handler("Private Sub " + n + "_DblClick()"));
                    break;
                case ControlKind::Option:
                    procedures_.push_back(handler("Private Sub " + n + "_Click(Index As Integer)"));
                    break;
                case ControlKind::Timer:
                    procedures_.push_back(handler("Private Sub " + n + "_Timer()"));
                    break;
                case ControlKind::ListView:
                    procedures_.push_back(handler(
                        "Private Sub " + n + "_ItemClick(ByVal Item As MSComctlLib.ListItem)"));
                    break;
                case ControlKind::User:
                    if (m_.plan.modules[c.userControl].raisesChanged)
                        procedures_.push_back(handler("Private Sub " + n + "_Changed()"));
                    break;
                default:
                    break;
            }
        }
        if (!m_.withEventsName.empty())
            procedures_.push_back(handler("Private Sub " + m_.withEventsName + "_Changed()"));
    }

    void addControlEvents() {
        procedures_.push_back(handler("Private Sub UserControl_Initialize()"));
        procedures_.push_back(handler("Private Sub UserControl_Resize()"));
        std::vector<std::string> read;
        std::vector<std::string> write;
        const ModulePlan& mod = m_.module;
        for (std::size_t k = 0; k < mod.publics.size(); ++k) {
            const Member& p = mod.publics[k];
            if (p.kind != MemberKind::Property || p.readOnly) continue;
            const std::string def = literalOf(p.type, rng_);
            read.push_back(m_.backing[k] + " = PropBag.ReadProperty(" + inQuotes(p.name) + ", " +
                           def + ")");
            write.push_back("PropBag.WriteProperty " + inQuotes(p.name) + ", " + m_.backing[k] +
                            ", " + def);
        }
        procedures_.push_back(
            fixedProcedure("Private Sub UserControl_ReadProperties(PropBag As PropertyBag)", read));
        procedures_.push_back(fixedProcedure(
            "Private Sub UserControl_WriteProperties(PropBag As PropertyBag)", write));
    }

    void addShapeMembers() {
        if (!m_.module.implementsShape) return;
        procedures_.push_back(handler("Private Sub IShape_Draw()"));
        procedures_.push_back(
            fixedProcedure("Private Property Get IShape_Area() As Double",
                           {"IShape_Area = 1.5 * " + std::to_string(rng_.between(2, 9))}));
        procedures_.back().exitWord = "Property";
    }

    void planProcedures(std::size_t room) {
        addEventProcedures();
        const ModulePlan& mod = m_.module;
        for (std::size_t k = 0; k < mod.publics.size(); ++k) {
            const Member& p = mod.publics[k];
            if (p.kind == MemberKind::Property) addPropertyProcedures(k);
            if (p.kind == MemberKind::Sub || p.kind == MemberKind::Function)
                procedures_.push_back(procedureFor(p, "Public"));
        }
        addShapeMembers();
        for (Procedure& p : procedures_) addComment(p);
        std::size_t total = 0;
        for (const Procedure& p : procedures_) total += p.size;
        if (total > room) shrinkGeneral(total, room);
        // Private procedures fill the room; the last one is cut to what is left.
        while (total + kMinProcedure <= room) {
            const MemberKind kind = rng_.percent(45) ? MemberKind::Function : MemberKind::Sub;
            Member& m = addPrivate(kind, privateProcedureName(), privateFate());
            procedures_.push_back(procedureFor(m, "Private"));
            Procedure& last = procedures_.back();
            addComment(last);
            last.size = std::min(last.size, room - total);
            total += last.size;
        }
        arrangeProcedures();
        for (const Member& p : m_.privates)
            if (p.fate == Fate::Used &&
                (p.kind == MemberKind::Sub || p.kind == MemberKind::Function))
                m_.callable.push_back(&p);
        for (const Member& p : mod.publics)
            if (p.fate != Fate::Unused &&
                (p.kind == MemberKind::Sub || p.kind == MemberKind::Function))
                m_.callable.push_back(&p);
    }

    void addComment(Procedure& p) {
        p.comment = rng_.percent(40);
        p.size += p.comment ? 1 : 0;
    }

    // The first procedure (Form_Load, Class_Initialize, Main) leads and the Property Get and
    // Let pairs follow together; the others are mixed in most modules, private ones between
    // public ones, as they were added over the years.
    void arrangeProcedures() {
        if (procedures_.empty()) return;
        std::vector<Procedure> properties;
        std::vector<Procedure> rest;
        for (std::size_t k = 1; k < procedures_.size(); ++k) {
            const bool property = procedures_[k].body == BodyKind::PropertyGet ||
                                  procedures_[k].body == BodyKind::PropertyLet;
            (property ? properties : rest).push_back(std::move(procedures_[k]));
        }
        if (rng_.percent(70)) shuffle(rest, rng_);
        procedures_.resize(1);
        for (Procedure& p : properties) procedures_.push_back(std::move(p));
        for (Procedure& p : rest) procedures_.push_back(std::move(p));
    }

    void shrinkGeneral(std::size_t total, std::size_t room) {
        for (Procedure& p : procedures_)
            if (p.body == BodyKind::General)
                p.size = std::max(kMinProcedure, p.size * room / total);
    }

    // Every member that must be used in this module gets a procedure that uses it; never the
    // procedure that declares it, which would be its only caller. Procedures nothing calls
    // get few: a use there goes when the procedure is commented out, and real dead code
    // holds only some of a program's uses.
    void assignTasks() {
        std::vector<std::size_t> general;
        std::vector<std::size_t> cumulative;
        std::size_t sum = 0;
        for (std::size_t k = 0; k < procedures_.size(); ++k) {
            const Procedure& p = procedures_[k];
            if (p.body != BodyKind::General) continue;
            const bool dead = p.member != nullptr && p.member->fate == Fate::Unused;
            general.push_back(k);
            sum += dead ? std::max<std::size_t>(1, p.size / 20) : p.size;
            cumulative.push_back(sum);
        }
        if (general.empty()) return;
        auto place = [&](const Task& t) {
            const std::size_t at = rng_.below(sum);
            const auto it = std::upper_bound(cumulative.begin(), cumulative.end(), at);
            const auto first = static_cast<std::size_t>(it - cumulative.begin());
            // The drawn procedure, or the next one that is not the member's own.
            for (std::size_t k = 0; k < general.size(); ++k) {
                Procedure& p = procedures_[general[(first + k) % general.size()]];
                if (p.member == t.member) continue;
                p.tasks.push_back(t);
                return;
            }
        };
        const ModulePlan& mod = m_.module;
        for (const Ref& r : mod.uses) {
            const ModulePlan& owner = m_.plan.modules[r.module];
            Task t{r.module, &owner.publics[r.member], true, false};
            t.withNew =
                owner.kind == ModuleKind::Class && owner.role != Role::Shape && rng_.percent(25);
            place(t);
        }
        for (const Member& p : mod.publics)
            if (p.fate == Fate::OwnModuleOnly) place({m_.self, &p, false, false});
        for (const Member& p : m_.privates)
            if (p.fate == Fate::Used && !p.backing) place({m_.self, &p, false, false});
    }

    // ---- writing procedures

    VarType localType() {
        const std::size_t r = rng_.below(100);
        if (r < 35) return VarType::Long;
        if (r < 40) return VarType::Integer;
        if (r < 65) return VarType::String;
        if (r < 70) return VarType::Double;
        if (r < 74) return VarType::Currency;
        if (r < 84) return VarType::Boolean;
        if (r < 90) return VarType::Variant;
        if (r < 93) return VarType::Date;
        return VarType::Object;
    }

    std::span<const std::string_view> localNames(VarType t) {
        switch (t) {
            case VarType::Long:
                return kLongLocals;
            case VarType::Integer:
                return kIntegerLocals;
            case VarType::String:
                return kStringLocals;
            case VarType::Double:
                return kDoubleLocals;
            case VarType::Currency:
                return kCurrencyLocals;
            case VarType::Boolean:
                return kBooleanLocals;
            case VarType::Variant:
                return kVariantLocals;
            case VarType::Date:
                return kDateLocals;
            default:
                return kRecordLocals;
        }
    }

    static bool taken(const std::vector<Local>& locals, std::string_view name) {
        for (const Local& l : locals)
            if (upperCase(l.name) == upperCase(name)) return true;
        return false;
    }

    std::string freeLocalName(const std::vector<Local>& locals,
                              std::span<const std::string_view> names) {
        for (int attempt = 0; attempt < 6; ++attempt) {
            const std::string_view n = rng_.pick(names);
            if (!taken(locals, n)) return std::string(n);
        }
        const std::string base(names.front());
        for (std::size_t k = 2;; ++k)
            if (!taken(locals, base + std::to_string(k))) return base + std::to_string(k);
    }

    void addObjectLocal(std::vector<Local>& locals, std::uint32_t cls) {
        for (const Local& l : locals)
            if (l.type == VarType::Object && l.objectModule == cls) return;
        const ModulePlan& c = m_.plan.modules[cls];
        Local l;
        l.type = VarType::Object;
        l.objectModule = cls;
        l.typeName = c.name;
        const std::string base = c.role == Role::Shape ? "shp" : "o" + c.noun;
        l.name = taken(locals, base) ? base + std::to_string(locals.size()) : base;
        locals.push_back(l);
    }

    // The locals the procedure's tasks need (objects of other modules' classes, records),
    // then others up to the number drawn for the wanted Dim density. Past that number a class
    // member is used through "With New" rather than a local, so that a low density holds.
    std::vector<Local> makeLocals(Procedure& p) {
        std::vector<Local> locals;
        // A quarter of the Dim lines declare two or three names.
        dimLines_.assign(rng_.poisson(m_.dimsPerLine * static_cast<double>(p.size)), 1);
        std::size_t wanted = 0;
        for (std::size_t& names : dimLines_) {
            if (rng_.percent(25)) names = rng_.between(2, 3);
            wanted += names;
        }
        for (Task& t : p.tasks) {
            const ModulePlan& owner = ownerOf(m_, t);
            const bool object = t.foreign && owner.kind == ModuleKind::Class && !t.withNew;
            if (object && locals.size() >= wanted && owner.role != Role::Shape)
                t.withNew = true;
            else if (object)
                addObjectLocal(locals, t.owner);
            if (t.member->kind == MemberKind::Record) {
                Local l;
                l.type = VarType::Record;
                l.typeName = t.member->name;
                l.fields = t.member->detail;
                l.name = freeLocalName(locals, kRecordLocals);
                locals.push_back(l);
            }
        }
        while (locals.size() < wanted) {
            Local l;
            l.type = localType();
            l.used = rng_.percent(85);
            if (l.type == VarType::Object) {
                if (m_.plan.classes.empty()) continue;
                const std::uint32_t cls = rng_.pick(m_.plan.classes);
                const std::size_t before = locals.size();
                addObjectLocal(locals, cls);
                if (locals.size() > before) {
                    locals.back().used = l.used;
                    continue;
                }
                l.type = VarType::Long;  // that class has its local already
            }
            if (rng_.percent(4)) {
                l.array = true;
                l.name = freeLocalName(locals, kArrayLocals);
            } else {
                l.name = freeLocalName(locals, localNames(l.type));
            }
            locals.push_back(l);
        }
        shuffle(locals, rng_);
        return locals;
    }

    std::string dimPart(const Local& l) {
        if (l.array) return l.name + "() As " + std::string(typeName(l.type));
        if (l.type == VarType::Object || l.type == VarType::Record)
            return l.name + " As " + l.typeName;
        // Type characters instead of As clauses, as in older code.
        if (l.type == VarType::String && rng_.percent(10)) return l.name + "$";
        if (l.type == VarType::Integer && rng_.percent(20)) return l.name + "%";
        return l.name + " As " + std::string(typeName(l.type));
    }

    // The lines drawn by makeLocals; locals the tasks needed beyond them get a line each.
    void writeDims(const std::vector<Local>& locals) {
        for (std::size_t k = 0, row = 0; k < locals.size(); ++row) {
            const std::size_t n =
                std::min(row < dimLines_.size() ? dimLines_[row] : 1, locals.size() - k);
            std::string line = "Dim ";
            for (std::size_t j = 0; j < n; ++j) line += (j ? ", " : "") + dimPart(locals[k + j]);
            if (rng_.percent(8)) line += "   ' " + std::string(rng_.pick(kComments));
            m_.out.add(1, line);
            k += n;
        }
    }

    void writePropertyBody(const Procedure& p) {
        const bool get = p.body == BodyKind::PropertyGet;
        const Member& m = *p.member;
        if (get && defaultMember(m)) m_.out.add("Attribute " + m.name + ".VB_UserMemId = 0");
        if (get) return m_.out.add(1, m.name + " = " + p.backing);
        m_.out.add(1, p.backing + " = vNew");
        if (m_.module.kind == ModuleKind::Control)
            m_.out.add(1, "PropertyChanged " + inQuotes(m.name));
        if (m_.module.raisesChanged) m_.out.add(1, "RaiseEvent Changed");
    }

    void writeGeneralBody(Procedure& p) {
        std::vector<Local> locals = makeLocals(p);
        writeDims(locals);
        if (p.head.front() == "Private Sub Form_Load()" && !m_.withEventsName.empty())
            m_.out.add(1, "Set " + m_.withEventsName + " = New " +
                              m_.plan.modules[m_.withEventsClass].name);
        if (p.head.front() == "Sub Main()") m_.out.add(1, "frmMain.Show");
        if (p.member && p.member->kind == MemberKind::Sub && m_.module.raisesChanged &&
            rng_.percent(30))
            m_.out.add(1, "RaiseEvent Changed");
        // Lines still to come besides the statements: the end line, the empty line after it,
        // the error handler's lines and the result's assignment.
        const std::size_t overhead = 2 + (p.errorHandler ? 4 : 0) + (p.resultName.empty() ? 0 : 1);
        const std::size_t used = m_.out.lines() - start_ + overhead;
        BodyWriter body(m_, p, locals);
        body.write(p.size > used ? p.size - used : 1);
    }

    void writeProcedure(Procedure& p) {
        start_ = m_.out.lines();
        if (p.comment) m_.out.add(jpComment(rng_));
        for (const std::string& line : p.head) m_.out.add(line);
        switch (p.body) {
            case BodyKind::General:
                writeGeneralBody(p);
                break;
            case BodyKind::PropertyGet:
            case BodyKind::PropertyLet:
                writePropertyBody(p);
                break;
            case BodyKind::Fixed:
                for (const std::string& line : p.fixed) m_.out.add(1, line);
                break;
        }
        m_.out.add("End " + p.exitWord);
        m_.out.add("");
    }

    ModuleContext m_;
    Random& rng_;
    std::vector<Procedure> procedures_;
    std::size_t start_ = 0;
    std::vector<std::size_t> dimLines_;  // names on each Dim line of the procedure being written
};

// ----------------------------------------------------------------------------- files

void writeBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + p.string());
}

std::string cp932(const std::string& utf8) {
    auto bytes = text::fromUtf8(utf8, text::CodePage::get(932));
    if (!bytes) throw std::runtime_error("generated text has no CP932 form");
    return *bytes;
}

fs::path pathOf(const fs::path& folder, const std::string& entry) {
    fs::path p = folder;
    std::size_t start = 0;
    for (std::size_t slash; (slash = entry.find('\\', start)) != std::string::npos;
         start = slash + 1)
        p /= entry.substr(start, slash - start);
    return p / entry.substr(start);
}

// The binary file beside a form or user control: a few bytes of what VB6 keeps there.
std::string binaryCompanion(std::size_t k) {
    std::string bytes("\x0c\x00\x00\x00lt\x00\x00\xff\xd8\xff\xe0\x00\x10JFIF", 18);
    bytes += static_cast<char>(k & 0xFF);
    bytes += static_cast<char>((k >> 8) & 0xFF);
    return bytes;
}

std::string projectFileText(const ProjectPlan& plan) {
    std::string vbp = "Type=Exe\r\n";
    vbp +=
        "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\Windows\\SysWOW64\\"
        "stdole2.tlb#OLE Automation\r\n";
    vbp += "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX\r\n";
    for (const ModulePlan& m : plan.modules) {
        switch (m.kind) {
            case ModuleKind::Form:
                vbp += "Form=" + m.entry + "\r\n";
                break;
            case ModuleKind::Standard:
                vbp += "Module=" + m.name + "; " + m.entry + "\r\n";
                break;
            case ModuleKind::Class:
                vbp += "Class=" + m.name + "; " + m.entry + "\r\n";
                break;
            case ModuleKind::Control:
                vbp += "UserControl=" + m.entry + "\r\n";
                break;
        }
    }
    vbp += "Startup=\"Sub Main\"\r\nHelpFile=\"\"\r\nTitle=\"販売管理システム\"\r\n";
    vbp += "ExeName32=\"" + plan.projectName + ".exe\"\r\nCommand32=\"\"\r\n";
    vbp += "Name=\"" + plan.projectName + "\"\r\nHelpContextID=\"0\"\r\nCompatibleMode=\"0\"\r\n";
    vbp += "MajorVer=1\r\nMinorVer=0\r\nRevisionVer=0\r\nAutoIncrementVer=0\r\n";
    vbp += "VersionCompanyName=\"サンプル商事\"\r\nCompilationType=0\r\nOptimizationType=0\r\n";
    vbp += "\r\n[MS Transaction Server]\r\nAutoRefresh=1\r\n";
    return cp932(vbp);
}

std::string workspaceText(const ProjectPlan& plan) {
    std::string vbw;
    for (std::size_t k = 0; k < plan.modules.size(); ++k) {
        const ModulePlan& m = plan.modules[k];
        const std::string at = std::to_string(22 * (k % 20));
        if (m.kind == ModuleKind::Form || m.kind == ModuleKind::Control)
            vbw += m.name + " = " + at + ", " + at + ", 800, 600, , 22, 22, 780, 580, C\r\n";
        else
            vbw += m.name + " = " + at + ", " + at + ", 800, 600, C\r\n";
    }
    return vbw;
}

}  // namespace

GeneratedProject generateRealShapedProject(const fs::path& folder, const RealShape& shape) {
    if (!fs::create_directories(folder))
        throw std::runtime_error("folder exists: " + folder.string());
    const std::string stem = folder.filename().string();
    Random rng(shape.seed);
    const ProjectPlan plan = planProject(shape, stem, rng);

    GeneratedProject project;
    project.projectFile = folder / (stem + ".vbp");
    for (std::uint32_t k = 0; k < plan.modules.size(); ++k) {
        const ModulePlan& m = plan.modules[k];
        const fs::path file = pathOf(folder, m.entry);
        fs::create_directories(file.parent_path());
        // Module by module: only one module's text is held at a time.
        ModuleText text = ModuleWriter(plan, k, shape, rng).write();
        writeBytes(file, cp932(text.text()));
        if (m.kind == ModuleKind::Form)
            writeBytes(fs::path(file).replace_extension(".frx"), binaryCompanion(k));
        if (m.kind == ModuleKind::Control)
            writeBytes(fs::path(file).replace_extension(".ctx"), binaryCompanion(k));
        project.modules.push_back(m.entry);
        project.lines += text.lines();
    }
    writeBytes(project.projectFile, projectFileText(plan));
    writeBytes(folder / (stem + ".vbw"), workspaceText(plan));
    return project;
}

}  // namespace scourvane::bench
