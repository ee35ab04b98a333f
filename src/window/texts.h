#pragma once
// Texts of the window that neither the engine nor a control's caption gives, in UTF-8.
#include <string>
#include <vector>

#include "base/session.h"
#include "window/geometry.h"

namespace scourvane::window {

inline constexpr const char* kCaption = "Scourvane";
inline constexpr const char* kSafeRulesSuffix = " (安全ルール)";
// The specified rules can comment out names that are used: the title warns of it.
inline constexpr const char* kSpecRulesSuffix = " (仕様どおりのルール: 要確認)";
inline constexpr const char* kOpenDialogTitle = "ﾌｧｲﾙを開く";
// The open dialog's one filter: its description and its pattern.
inline constexpr const char* kProjectFilterName = "ﾌﾟﾛｼﾞｪｸﾄ/ｸﾞﾙｰﾌﾟ (vbp, vbg)";
inline constexpr const char* kProjectFilterPattern = "*.vbp;*.vbg";
// The folder dialog: every project below the folder chosen is run together.
inline constexpr const char* kFolderDialogTitle = "フォルダーを開く";

// The menu: the rule set's heading and its two choices, then the commands.
inline constexpr const char* kMenuRulesHeading = "ルール:";
inline constexpr const char* kMenuRulesSpec = "仕様どおり";
inline constexpr const char* kMenuRulesSafe = "安全";
inline constexpr const char* kMenuRepeat = "何も見つからなくなるまで繰り返す";
inline constexpr const char* kMenuReview = "検出結果を一覧で確認する...";
inline constexpr const char* kMenuReport = "検出結果をブラウザで開く";
inline constexpr const char* kMenuCodePageHeading = "文字コード:";
inline constexpr const char* kMenuCodePageSystem = "システム既定";
// The review window: its title, columns, filter, buttons and the kinds' filter.
inline constexpr const char* kReviewTitle = "検出結果の確認";
inline constexpr const char* kReviewColumns[] = {"ファイル", "行", "種類", "名前", "処理", "回"};
inline constexpr const char* kReviewFilter = "絞り込み:";
inline constexpr const char* kReviewAllKinds = "すべての種類";
inline constexpr const char* kReviewKeep = "残す(&K)";
inline constexpr const char* kReviewUndo = "元に戻す(&U)";
inline constexpr const char* kReviewKept = "残す";
// The status box's tooltip after a run.
inline constexpr const char* kReviewHint = "クリックすると検出結果を一覧で確認できます";
inline constexpr const char* kMenuPatchComment = "パッチを保存 (コメントにする)...";
inline constexpr const char* kMenuPatchRemove = "パッチを保存 (行を削除する)...";
inline constexpr const char* kMenuWorkingCopy = "新ﾌﾟﾛｼﾞｪｸﾄのフォルダを開く";
inline constexpr const char* kMenuOpenFolder = "フォルダー内のﾌﾟﾛｼﾞｪｸﾄをすべて開く...";
inline constexpr const char* kMenuActiveXCallers = "ActiveX ｸﾗｽの利用側はすべて実行対象に含まれる";
// The patch's save dialog: its title and its one filter.
inline constexpr const char* kPatchDialogTitle = "パッチの保存";
inline constexpr const char* kPatchFilterName = "パッチ (patch)";
inline constexpr const char* kPatchFilterPattern = "*.patch";
// Said when the patch would go into the working copy, which holds the project's files only.
inline constexpr const char* kPatchInWorkingCopy =
    "パッチは新ﾌﾟﾛｼﾞｪｸﾄのフォルダの外に保存してください。";
// Said when the environment names no folder for the reports.
inline constexpr const char* kNoReportsFolder =
    "レポートを置くフォルダがありません (HOME も XDG_CACHE_HOME もありません)。";

// What the message box says after a patch was saved: where it is and where to apply it.
// `warnings`: what the run said of modules other projects include too, shown first.
std::string patchSavedText(const std::string& file, const std::string& root, int modules,
                           const std::vector<std::string>& warnings = {});

// The window's title, which names the rule set in force.
inline std::string windowTitle(RuleSet rules) {
    return std::string(kCaption) + (rules == RuleSet::Safe ? kSafeRulesSuffix : kSpecRulesSuffix);
}

// The title text's colour on the strip for the rule set in force.
inline Rgb titleColour(RuleSet rules) {
    return rules == RuleSet::Safe ? kWhite : kTitleWarning;
}

}  // namespace scourvane::window
