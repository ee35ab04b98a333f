#pragma once
// The declaration-kind recogniser and the object-name filter: which name a line declares with
// a scope keyword ("Dim", "Private" or "Public"), if any.
#include <string_view>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace scourvane {

using text::Bytes;

// The name that `line` declares with `scope`, or an empty text when it declares none (or the
// name is turned away by the object-name filter). `objects` is the module's object-name table;
// `standardModule` is true for a module whose name ends in neither FRM nor CLS.
//
// Besides the plain kinds (variables, Sub, Function, Property Get/Let/Set, Type, Const,
// Declare), a "WithEvents" variable gives its own name. Events, enumerations and Static
// procedures give an empty text: their uses cannot be counted by name the way the passes do,
// so they are never judged. In a standard module a Sub named Main (the start-up procedure,
// which no line calls) gives an empty text too.
Bytes declaredName(std::string_view line, std::string_view scope, const std::vector<Bytes>& objects,
                   bool standardModule);

// The object names upper-cased (text::toUpper), for asking about many names at once.
struct UpperObjectNames {
    std::vector<std::string> rows;
};
UpperObjectNames upperObjectNames(const std::vector<Bytes>& objects);

// declaredName before the object names are looked at: a caller that asks about many lines
// keeps the table upper-cased (see namesAnObject) and looks it up only for a name found.
Bytes scopedName(std::string_view line, std::string_view scope, bool standardModule);

// True when the name contains one of the object names, ignoring case.
bool isObjectName(std::string_view name, const std::vector<Bytes>& objects);
bool namesAnObject(std::string_view name, const UpperObjectNames& objects);

// True for a module name that ends in neither FRM nor CLS, ignoring case.
bool isStandardModuleName(std::string_view moduleName);

// True for a module name that ends in FRM, CLS, CTL, PAG or DOB, ignoring case: a form, class,
// user control, property page or user document, whose members belong to an object.
bool isClassLikeModuleName(std::string_view moduleName);

}  // namespace scourvane
