#!/usr/bin/env python3
"""Checks what a run decided against the working copy it left.

    safe_check.py [--blocks-only] WORKING_COPY FINDINGS.csv [WORKING_COPY FINDINGS.csv ...]

Under either rule set the copy must still compile as the user's modules did: the Sub,
Function, Property and Type blocks of its unmarked code pair up exactly as they did before the
run marked anything (the copy read without the markers its findings account for), less whole
blocks that a finding names (or that follow, with nothing kept in between, a block without an
end that a finding names: the marking of such a block runs on), and no marked procedure
implements an interface its module declares (Implements Lib.IFace: the members IFace_*). The
blocks before the run are held against the user's modules, found through the project file
beside the working copy (each module the last entry of its file name, lines continued with " _"
joined): where they differ, the copy's intake changed them, which a note says. --blocks-only
checks this alone (for runs under the default rules); without it the safe rules' findings are
checked too, as follows.

FINDINGS.csv is the report of that run (--report FILE.csv); several runs are checked one after
the other, each introduced by a line "== WORKING_COPY". Every module file of the working copy
(.bas .cls .frm .ctl .pag .dob) is read as code page 932, and each finding is checked against
the lines as they stand after the run:

- unused-dim: no unmarked line of the procedure that holds the declaration uses the name;
- unused-private: no unmarked line of its module uses it;
- unused-public: no unmarked line of any module uses it;
- public-to-private: no unmarked line of another module uses it;
- and none of them is a declaration the safe rules never judge: a line of several declarations
  (a comma outside parentheses and strings), of several statements (a ":" outside strings and
  comments) or continued (" _"), unless it opens a Sub, Function, Property or Type; the
  handlers Class_Initialize, Class_Terminate, UserControl_*, UserDocument_*, the form's own
  (Form_*, MDIForm_*) and its controls' events; a member with an Attribute <name>.VB_UserMemId
  line; a Public member of a class module of an ActiveX project (Type=OleDll, OleExe, Control).

A line uses a name when the name stands as a whole identifier in the line's code, ignoring the
case of ASCII letters: outside string literals, before an apostrophe comment or a Rem statement.
An identifier is a run of letters, digits, "_" and characters outside ASCII; everything else
separates, type characters included. For a Public name a string literal whose whole text is the
name counts as a use too (CallByName obj, "Refresh"). A name declared with a type character
(outdxf$) is looked for without it. A line is marked when it begins with the unused marker; a
marked line is a comment and uses nothing.

A procedure runs from a line whose first statement is a Sub, Function or Property header to the
first End Sub, End Function or End Property after it, the lines read without the markers this
run added. A line that names a procedure where no header can stand (x = Sub Foo()) is taken to
begin one too: VB would not compile it, and no line past it belongs for certain to the
procedure before. A Dim finding whose line is no Dim statement, or stands outside any procedure
(after the end of a one-line Sub, say), is left unjudged and listed as a note.

This reads the rules afresh and shares nothing with the program it checks. Each violation is
printed; the exit status is 1 when there is any, 2 when an input cannot be read, 0 otherwise.
After each run's violations and notes a line says how many findings were checked.
"""
import csv
import io
import itertools
import pathlib
import re
import sys

MARKER = "'<未使用> |"
MODULE_SUFFIXES = {".bas", ".cls", ".frm", ".ctl", ".pag", ".dob"}
DESIGNER_SUFFIXES = {".frm", ".ctl", ".pag", ".dob"}
# The columns the check reads; the report has more (run, rule set, row, kind, ...).
COLUMNS = ["file", "rule", "name", "first_line", "last_line"]
RULES = ("unused-dim", "unused-private", "unused-public", "public-to-private")
TYPE_CHARACTERS = "$%&!#@"
ASCII_FOLD = str.maketrans("ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz")
PROCEDURE_KINDS = {"sub", "function", "property"}
SCOPES = {"public", "private", "friend", "global", "static", "dim"}


def fold(text):
    """ASCII letters in lower case; every other character as it is."""
    return text.translate(ASCII_FOLD)


# --- code page 932 --------------------------------------------------------------------------

def is_lead_byte(b):
    return 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC


def cp932_units(data):
    """The characters of one line's bytes, each as (exact text, text as the report shows it). A
    lead byte and the byte after it are one character, as VB reads them, even when the pair is
    no valid character. Such a pair, or a byte that is no character at all, is kept exactly as
    lone surrogates (so that two different invalid sequences never read as the same identifier)
    and shown as one U+FFFD, as the report decodes it."""
    units = []
    i = 0
    while i < len(data):
        b = data[i]
        size = 1 if b < 0x80 else 2 if is_lead_byte(b) and i + 1 < len(data) else 1
        chunk = data[i:i + size]
        try:
            text = chunk.decode("cp932")
            units.append((text, text))
        except UnicodeDecodeError:
            units.append(("".join(chr(0xDC00 + c) for c in chunk), "\ufffd"))
        i += size
    return units


def decode_cp932(data):
    return "".join(exact for exact, _ in cp932_units(data))


def raw_lines(path):
    """The lines of a file's bytes: split at LF, one CR before it dropped (a lone CR stays)."""
    rows = path.read_bytes().split(b"\n")
    if rows and rows[-1] == b"":
        rows.pop()
    return [r[:-1] if r.endswith(b"\r") else r for r in rows]


def read_module(path):
    return [decode_cp932(r) for r in raw_lines(path)]


def exact_name(name, line):
    """A name the report shows with U+FFFD for bytes it could not decode, as the declaration
    line `line` (bytes) holds it; None when the line does not hold it."""
    units = cp932_units(line)
    shown_line = "".join(s for _, s in units)
    at = shown_line.find(name)
    if at < 0:
        return None
    return "".join(exact for exact, _ in units[at:at + len(name)])


# --- the code of a line ---------------------------------------------------------------------

def is_identifier_char(c):
    return c == "_" or c.isascii() and c.isalnum() or not c.isascii()


class Code:
    """What one line holds as code: its identifiers, the texts of its string literals, the
    identifiers of each statement, and the commas outside parentheses."""

    def __init__(self, line):
        self.identifiers, self.strings, self.statements = [], [], []
        self.top_level_comma = False
        if line.startswith(MARKER):
            return
        current = []            # identifiers of the statement being read
        statement_start = True  # nothing but blanks since the line's start or a ":"
        depth = 0
        i, n = 0, len(line)
        while i < n:
            c = line[i]
            if c == '"':
                text = []
                i += 1
                while i < n:
                    if line[i] == '"':
                        if i + 1 < n and line[i + 1] == '"':
                            text.append('"')
                            i += 2
                            continue
                        i += 1
                        break
                    text.append(line[i])
                    i += 1
                self.strings.append("".join(text))
                statement_start = False
                continue
            if c == "'":
                break
            if is_identifier_char(c):
                start = i
                while i < n and is_identifier_char(line[i]):
                    i += 1
                word = line[start:i]
                if statement_start and fold(word) == "rem":
                    break
                self.identifiers.append(word)
                current.append(word)
                statement_start = False
                continue
            if c == ":":
                self.statements.append(current)
                current = []
                statement_start = True
            elif c not in " \t":
                statement_start = False
                depth += c == "("
                depth -= c == ")" and depth > 0
                self.top_level_comma |= c == "," and depth == 0
            i += 1
        self.statements.append(current)

    def uses(self, folded_name, strings_count):
        if any(fold(w) == folded_name for w in self.identifiers):
            return True
        return strings_count and any(fold(s) == folded_name for s in self.strings)


def header_words(statement):
    """The words of a procedure or Type header after its scope words; None for other
    statements."""
    words = [fold(w) for w in statement]
    while words and words[0] in SCOPES:
        words = words[1:]
    if len(words) >= 2 and (words[0] in PROCEDURE_KINDS or words[0] == "type"):
        return words
    return None


class Shape:
    """The structure of a line: whether its first statement opens a procedure or a Type, whether
    a statement of it ends a procedure, and whether it names a procedure anywhere else (the word
    Sub, Function or Property that no End, Exit or Declare stands before), which no valid line
    inside a procedure does."""

    def __init__(self, line):
        code = Code(line)
        self.statements = [s for s in code.statements if s]
        first = header_words(self.statements[0]) if self.statements else None
        self.opens_block = first is not None
        self.opens = first is not None and first[0] in PROCEDURE_KINDS
        self.closes = any(len(s) >= 2 and fold(s[0]) == "end" and fold(s[1]) in PROCEDURE_KINDS
                          for s in self.statements)
        self.stray = False
        for k, s in enumerate(self.statements):
            words = [fold(w) for w in s]
            skip = 0
            if k == 0 and self.opens:
                skip = len(words) - len(first) + 1
            for j in range(skip, len(words)):
                if words[j] in PROCEDURE_KINDS and (j == 0 or words[j - 1] not in
                                                    ("end", "exit", "declare")):
                    self.stray = True
        self.continued = line.rstrip("\r").endswith(" _")
        self.top_level_comma = code.top_level_comma


def procedure_around(shapes, index):
    """The range of line indexes of the procedure that holds line `index`, or why there is none.
    A procedure begins at a header, or at a line that names a procedure where no header can
    stand (x = Sub Foo()), and ends at its end line or before the next such beginning."""
    start = None
    if shapes[index].opens or shapes[index].stray:
        start = index  # Dim x = Sub Foo(): the line begins a procedure itself
    for i in range(index - 1 if start is None else -1, -1, -1):
        s = shapes[i]
        if s.closes:
            return "outside any procedure"
        if s.opens or s.stray:
            start = i
            break
    if start is None:
        return "outside any procedure"
    for i in range(index + 1, len(shapes)):
        s = shapes[i]
        if s.opens or s.stray:
            return range(start, i)
        if s.closes:
            return range(start, i + 1)
    return range(start, len(shapes))


# --- the check ------------------------------------------------------------------------------

def bare_name(name):
    if len(name) > 1 and name[-1] in TYPE_CHARACTERS:
        return name[:-1]
    return name


def shown(text):
    """A line as a message shows it: control characters and bytes that are no character
    escaped, so that the message stays on one line and prints anywhere."""
    out = []
    for c in text.strip(" "):
        if 0xDC00 <= ord(c) <= 0xDCFF:
            out.append("\\x%02x" % (ord(c) - 0xDC00))
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append("\\x%02x" % ord(c))
        else:
            out.append(c)
    return "".join(out)


def read_findings(path):
    """The records of the report after its header, as dictionaries. The report is UTF-8 with a
    byte-order mark, each record ends with CR LF, fields are quoted as RFC 4180 says."""
    data = pathlib.Path(path).read_bytes()
    if not data.startswith(b"\xef\xbb\xbf"):
        raise ValueError("%s: no UTF-8 byte-order mark" % path)
    text = data[3:].decode("utf-8")
    if text and not text.endswith("\r\n"):
        raise ValueError("%s: the last record has no CR LF" % path)
    records = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    header = records[0] if records else []
    if not all(c in header for c in COLUMNS) or len(set(header)) != len(header):
        raise ValueError("%s: unexpected header %r" % (path, header))
    for record in records[1:]:
        if len(record) != len(header):
            raise ValueError("%s: a record with %d fields: %r" % (path, len(record), record))
        yield dict(zip(header, record))


def activex_project(copy):
    for p in copy.iterdir():
        if p.suffix.lower() == ".vbp" and p.is_file():
            for line in read_module(p):
                if re.fullmatch(r"Type=(OleDll|OleExe|Control)\s*", line, re.IGNORECASE):
                    return True
    return False


def event_sources(rows, suffix):
    """The prefixes ("<name>_", folded) of the event handlers a module holds: its controls and
    itself in a designer's header, the WithEvents variables and implemented interfaces (named
    without their library) of its declarations section, and the class, user control and user document events."""
    prefixes = {"class_initialize", "class_terminate", "usercontrol_", "userdocument_"}
    if suffix in DESIGNER_SUFFIXES:
        prefixes |= {"form_", "mdiform_"}
    header = suffix in DESIGNER_SUFFIXES
    for line in rows:
        if header:
            header = not line.startswith("Attribute VB_")
            m = re.match(r"\s*Begin\s+\S+\s+(\S+)", line)
            if m:
                prefixes.add(fold(m.group(1)) + "_")
            continue
        shape = Shape(line)
        if shape.opens:
            break
        for words in ([fold(w) for w in st] for st in shape.statements):
            if len(words) >= 3 and words[0] in ("private", "public", "dim", "global") \
                    and words[1] == "withevents":
                prefixes.add(words[2] + "_")
            elif len(words) >= 2 and words[0] == "implements":
                prefixes.add(words[-1] + "_")  # Implements Lib.IFace: IFace_*
    return prefixes


def never_judged(f, name, shape, module, rows, sources, activex):
    """Why the safe rules never judge this declaration, or None."""
    if (shape.top_level_comma or len(shape.statements) > 1 or shape.continued) \
            and not shape.opens_block:
        return "a line of several declarations or statements, or continued"
    folded = fold(name)
    if shape.opens and any(folded.startswith(p) for p in sources):
        return "an event handler"
    if f["rule"] != "unused-dim" and any(
            re.match(r"\s*Attribute\s+%s\.VB_UserMemId\b" % re.escape(name), r, re.IGNORECASE)
            for r in rows):
        return "a member with VB_UserMemId"
    if activex and module.lower().endswith(".cls") and f["rule"] in ("unused-public",
                                                                     "public-to-private"):
        return "a Public member of a class of an ActiveX project"
    return None


def check(copy, findings_path, blocks_only=False):
    """The violations of the findings in findings_path and of the copy's blocks, the notes on
    findings left unjudged, and how many findings were checked."""
    raw = {}
    for p in sorted(copy.iterdir()):
        if p.is_file() and p.suffix.lower() in MODULE_SUFFIXES:
            raw[p.name] = raw_lines(p)
    modules = {name: [decode_cp932(r) for r in rows] for name, rows in raw.items()}
    codes = {name: [Code(r) for r in rows] for name, rows in modules.items()}
    findings = list(read_findings(findings_path))
    activex = activex_project(copy)

    # The lines as the run's passes read them: without the markers the run itself added.
    added = {name: [0] * len(rows) for name, rows in modules.items()}
    for f in findings:
        if f["rule"] in RULES[:3] and f["file"] in added:
            marks = added[f["file"]]
            for i in range(int(f["first_line"]) - 1, min(int(f["last_line"]), len(marks))):
                marks[i] += 1
    def unmarked(row, count):
        while count and row.startswith(MARKER):
            row, count = row[len(MARKER):], count - 1
        return row

    shapes = {name: [Shape(unmarked(r, added[name][i])) for i, r in enumerate(rows)]
              for name, rows in modules.items()}

    violations, notes = check_blocks(copy, modules, raw, findings,
                                     {name: [unmarked(r, added[name][i]) for i, r in
                                             enumerate(rows)] for name, rows in modules.items()})
    checked = 0
    if blocks_only:
        findings = []

    def users(module, lines, folded, strings_count):
        return [(module, i) for i in lines if codes[module][i].uses(folded, strings_count)]

    for f in findings:
        rule, module = f["rule"], f["file"]
        if rule not in RULES:
            continue
        where = "%s:%s: %s %s" % (module, f["first_line"], rule, shown(f["name"]))
        if module not in modules:
            violations.append("%s: names no module file of the copy" % where)
            continue
        rows = modules[module]
        first = int(f["first_line"]) - 1
        if not 0 <= first < len(rows):
            violations.append("%s: no such line" % where)
            continue
        name = f["name"]
        if "\ufffd" in name:
            name = exact_name(name, raw[module][first])
            if name is None:
                notes.append("%s: not judged, its line does not hold the name" % where)
                continue
        name = bare_name(name)
        folded = fold(name)
        shape = shapes[module][first]
        why = never_judged(f, name, shape, module, rows,
                           event_sources(rows, pathlib.Path(module).suffix.lower()), activex)
        if why:
            violations.append("%s: judged, but it is %s: %s" % (where, why, shown(rows[first])))
        if rule != "public-to-private" and not rows[first].startswith(MARKER):
            violations.append("%s: the declaration line is not marked: %s"
                              % (where, shown(rows[first])))
        if rule == "unused-dim":
            scope = procedure_around(shapes[module], first)
            if not shape.statements or fold(shape.statements[0][0]) != "dim":
                scope = "no Dim statement"
            if isinstance(scope, str):
                notes.append("%s: not judged, %s: %s" % (where, scope, shown(rows[first])))
                continue
            found = users(module, scope, folded, False)
        elif rule == "unused-private":
            found = users(module, range(len(rows)), folded, False)
        elif rule == "unused-public":
            found = [u for m in modules for u in users(m, range(len(modules[m])), folded, True)]
        else:
            found = [u for m in modules if m != module
                     for u in users(m, range(len(modules[m])), folded, True)]
        checked += 1
        for m, i in found:
            violations.append("%s is used on %s:%d: %s" % (where, m, i + 1, shown(modules[m][i])))
    return violations, notes, checked


# --- blocks ---------------------------------------------------------------------------------

BLOCK_KINDS = PROCEDURE_KINDS | {"type"}


def block_events(line):
    """("open", kind, name) and ("close", kind) for the statements of one line, in order."""
    events = []
    for statement in Code(line).statements:
        words = [fold(w) for w in statement]
        header = header_words(statement)
        if header and header[0] in BLOCK_KINDS:
            rest = header[1:]
            if header[0] == "property" and rest and rest[0] in ("get", "let", "set"):
                rest = rest[1:]
            if rest:
                events.append(("open", header[0], rest[0]))
        elif len(words) >= 2 and words[0] == "end" and words[1] in BLOCK_KINDS:
            events.append(("close", words[1]))
    return events


def block_items(lines):
    """The blocks of a module's lines as they pair up: ("paired", kind, name, row) for a header
    closed by its own kind of end before any other header, ("unpaired", kind, name, row) for
    one that is not, ("stray", kind, row) for an end with no header open before it; row is the
    index of the header's (or the stray end's) line."""
    items, open_ = [], None
    for row, line in enumerate(lines):
        for e in block_events(line):
            if e[0] == "open":
                if open_:
                    items.append(("unpaired",) + open_[1:])
                open_ = e + (row,)
            elif open_ and open_[1] == e[1]:
                items.append(("paired",) + open_[1:])
                open_ = None
            elif open_:
                items.append(("unpaired",) + open_[1:])
                items.append(("stray", e[1], row))
                open_ = None
            else:
                items.append(("stray", e[1], row))
    if open_:
        items.append(("unpaired",) + open_[1:])
    return items


def without_rows(items):
    return [item[:-1] for item in items]


KEYWORDS = {"dim", "private", "public", "global", "friend", "static", "sub", "function",
            "property", "type", "rem", "end"}


def misuses_keywords(line):
    """Whether a declaration or header uses a keyword as a name (Function Dim(ByVal Dim),
    Property Let End, Dim Sub As String), or a line names a procedure where no header can
    stand: VB would not compile it, so no block structure is promised around it."""
    shape = Shape(line)
    if shape.stray:
        return True
    for statement in shape.statements:
        words = [fold(w) for w in statement]
        i = 0
        while i < len(words) and words[i] in SCOPES:
            i += 1
        if len(set(words[:i])) < i:
            return True  # Dim = Dim
        if i == 0 and not (words and words[0] in BLOCK_KINDS):
            continue
        if i < len(words) and words[i] == "declare":
            continue
        if i < len(words) and words[i] in BLOCK_KINDS:
            i += 1 + (words[i] == "property" and i + 1 < len(words)
                      and words[i + 1] in ("get", "let", "set"))
        if any(w in KEYWORDS for w in words[i:]):
            return True
    return False


def joined_lines(rows):
    """Lines continued with " _" joined to the next, as VB reads them."""
    out, pending = [], None
    for row in rows:
        pending = row if pending is None else pending + row.lstrip(" \t")
        if pending.rstrip("\r").endswith(" _"):
            pending = pending.rstrip("\r")[:-1]
            continue
        out.append(pending)
        pending = None
    if pending is not None:
        out.append(pending)
    return out


def user_modules(copy):
    """The user's module file behind each module file name of the copy: the last entry of the
    project file beside the copy whose bare name is that file's name and that names an existing
    file (each folder of its path matched ignoring case, as Windows would)."""
    project, found = copy.parent, {}
    names = {p.name for p in copy.iterdir()}
    vbps = [n for n in names if n.lower().endswith(".vbp")]
    if len(vbps) != 1 or not (project / vbps[0]).is_file():
        return found
    for line in read_module(project / vbps[0]):
        m = re.match(r"(Form|Module|Class)=(.*)$", line)
        if not m or (m.group(1) != "Form" and "; " not in m.group(2)):
            continue
        parts = re.split(r"[\\/]", m.group(2) if m.group(1) == "Form"
                         else m.group(2).split("; ", 1)[1])
        target = project
        for part in parts:
            match = [p for p in target.iterdir() if p.name.lower() == part.lower()] \
                if target.is_dir() else []
            if not match:
                break
            target = match[0]
        else:
            if target.is_file() and parts[-1] in names:
                found[parts[-1]] = target
    return found


def implemented(lines):
    """The interfaces that a module's declarations section implements (folded), named without
    their library."""
    out = set()
    for line in lines:
        if any(e[0] == "open" for e in block_events(line)):
            break
        for statement in Code(line).statements:
            if len(statement) >= 2 and fold(statement[0]) == "implements":
                out.add(fold(statement[-1]))
    return out


def without_markers(row):
    while row.startswith(MARKER):
        row = row[len(MARKER):]
    return row


def check_blocks(copy, modules, raw, findings, unmarked_rows):
    """The violations of the block pairing and of the interfaces in each module of the copy,
    and notes on modules whose blocks intake changed."""
    violations, notes, checked_modules = [], [], []
    originals = user_modules(copy)
    named = {}
    for f in findings:
        if f["rule"] in ("unused-private", "unused-public") and f["file"] in raw:
            name, first = f["name"], int(f["first_line"]) - 1
            if "\ufffd" in name and 0 <= first < len(raw[f["file"]]):
                name = exact_name(name, raw[f["file"]][first]) or name
            # A hostile header may make the program take more than the identifier as the name
            # (c)_Click): the block is named by the name's first identifier.
            first_word = "".join(itertools.takewhile(
                is_identifier_char,
                itertools.dropwhile(lambda c: not is_identifier_char(c), bare_name(name))))
            named.setdefault(f["file"], set()).add(fold(first_word))
    for module, rows in modules.items():
        interfaces = implemented(rows)
        for i, row in enumerate(rows):
            if not row.startswith(MARKER):
                continue
            for e in block_events(without_markers(row)):
                if e[0] == "open" and e[1] in PROCEDURE_KINDS and \
                        any(e[2].startswith(iface + "_") for iface in interfaces):
                    violations.append("%s:%d: marks %s, which implements an interface of the "
                                      "module: %s" % (module, i + 1, e[2], shown(row)))
        if any(misuses_keywords(r) for r in unmarked_rows[module]):
            notes.append("%s: blocks not checked, a line uses a keyword as a name" % module)
            continue
        before = block_items(unmarked_rows[module])
        after = block_items(rows)
        if module in originals and without_rows(
                block_items(joined_lines(read_module(originals[module])))) != without_rows(before):
            notes.append("%s: blocks not checked, intake changed them (a declaration continued "
                         "into a header, say)" % module)
            continue
        checked_modules.append(module)
        k, runs_on = 0, False
        for item in before:
            if k < len(after) and after[k] == item:
                k, runs_on = k + 1, False
                continue
            if item[0] == "stray" or runs_on:
                continue
            if item[2] not in named.get(module, set()):
                violations.append("%s:%d: the %s %s %s is gone from the copy, and no finding "
                                  "names it" % (module, item[-1] + 1, item[0], item[1], item[2]))
            runs_on = item[0] == "unpaired"
        if k < len(after):
            violations.append("%s:%d: the copy's blocks do not pair up as before the run: %s "
                              "where it had %s" % (module, after[k][-1] + 1, after[k][:-1],
                                                   without_rows(before)))
    notes.append("blocks checked in %d of %d modules" % (len(checked_modules), len(modules)))
    return violations, notes


def main(argv):
    sys.stdout.reconfigure(errors="backslashreplace")
    blocks_only = argv[1:2] == ["--blocks-only"]
    pairs = argv[2:] if blocks_only else argv[1:]
    if not pairs or len(pairs) % 2:
        print("usage: safe_check.py [--blocks-only] WORKING_COPY FINDINGS.csv "
              "[WORKING_COPY FINDINGS.csv ...]",
              file=sys.stderr)
        return 2
    status = 0
    for copy, findings in zip(pairs[0::2], pairs[1::2]):
        if len(pairs) > 2:
            print("== %s" % copy)
        try:
            violations, notes, checked = check(pathlib.Path(copy), findings, blocks_only)
        except (OSError, ValueError, csv.Error) as e:
            print("safe_check.py: %s" % e, file=sys.stderr)
            status = 2
            continue
        for v in violations:
            print(v)
        for n in notes:
            print("note: " + n)
        print("%d findings checked, %d not judged, %d violations"
              % (checked, sum(" not judged" in n for n in notes), len(violations)))
        if violations and status == 0:
            status = 1
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
