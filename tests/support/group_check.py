#!/usr/bin/env python3
"""Checks the working copies a run over several projects left below a folder.

    group_check.py [--activex-judged] [--codepage N] [--projects LIST] ROOT

--projects LIST: only the project files LIST names (one path a line), the ones a run took in
(a project it left out, say for a module name clash in a shared working copy, has no copy).

Every project file below ROOT (outside folders named New_*) is read: its Form=, Module=,
Class=, UserControl=, PropertyPage= and UserDocument= entries, each resolved from the project's
folder ("\\" or "/" between parts, a part that does not exist as written matched ignoring case),
and its Type=. A project's working copy is <project folder>/New_<project folder name>, holding
each module under its bare file name. Files are read as code page 932; a line that begins with
the marker is a comment, every other line is code. A line uses a name when the name stands in
its code as a whole identifier (ASCII case ignored), outside string literals and comments. The
checks:

a. every working copy that holds a module file (one file on disk, whichever projects include
   it) holds the same bytes for it, with as many lines as the file has;
b. a Public (or Global) declaration of the user's module whose line the copy marks is used by no
   code of its own module's copy, nor by any other module of any project that includes the
   module; one the copy makes Private (the copy's line begins with Private where the user's
   begins with Public or Global) is used by no other module of those projects;
c. without --activex-judged, no Public member of a class with "Attribute VB_Exposed = True" in a
   project of Type=OleDll, OleExe or Control is marked or made Private; with it, such members
   are checked as in b, any module of any project of the run counting as a user.

Other modules are read in the working copy of the project that includes them. A trap is a
Public declaration of a module that several projects include, which the other modules of
exactly one of them use: judged one project at a time it would look unused to the others. Each
violation is printed with its file, line, name and why. Exit status 1 when there is any, 2 when
the check would prove nothing (no working copy, or no module that two projects include), else 0.
"""
import hashlib
import pathlib
import re
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from safe_check import MARKER, Code, decode_cp932, fold, raw_lines  # noqa: E402

ENTRY_KEYS = {"Form", "Module", "Class", "UserControl", "PropertyPage", "UserDocument"}
ACTIVEX_TYPES = {"oledll", "oleexe", "control"}
PUBLIC = re.compile(r"\s*(?:Public|Global)\s+(?:(?:WithEvents|Const|Sub|Function|Type|Enum|Event|"
                    r"Declare\s+(?:Sub|Function)|Property\s+(?:Get|Let|Set))\s+)?([^\W\d]\w*)",
                    re.IGNORECASE)
PRIVATE = re.compile(r"\s*Private\b", re.IGNORECASE)
EXPOSED = re.compile(r"Attribute\s+VB_Exposed\s*=\s*True\s*$", re.IGNORECASE)


CODEPAGE = 932  # --codepage N: the projects' code page (932 unless given)


def read_lines(path):
    if CODEPAGE == 932:
        return [decode_cp932(r) for r in raw_lines(path)]
    return [r.decode("cp%d" % CODEPAGE, errors="replace") for r in raw_lines(path)]


def marker():
    """The unused marker as the tool writes it in the code page: a character the page lacks
    becomes "?"."""
    if CODEPAGE == 932:
        return MARKER
    return MARKER.encode("cp%d" % CODEPAGE, errors="replace").decode("cp%d" % CODEPAGE)


def find_ignoring_case(folder, name):
    """The entry of `folder` named `name`, as written or else ignoring case; None if none."""
    exact = folder / name
    if exact.exists():
        return exact
    if folder.is_dir():
        for p in sorted(folder.iterdir()):
            if p.name.lower() == name.lower():
                return p
    return None


def resolve(folder, entry):
    target = folder
    for part in re.split(r"[\\/]", entry):
        if part in ("", "."):
            continue
        target = target.parent if part == ".." else find_ignoring_case(target, part)
        if target is None:
            return None
    return target.resolve() if target.is_file() else None


class Project:
    def __init__(self, file):
        self.file, self.folder = file, file.parent
        self.copy = self.folder / ("New_" + self.folder.name)
        self.activex = False
        self.entries = []  # (bare file name, the user's file or None)
        for line in read_lines(file):
            key, _, value = line.partition("=")
            if key == "Type":
                self.activex = value.strip().lower() in ACTIVEX_TYPES
            elif key in ENTRY_KEYS:
                if key in ("Module", "Class") and "; " in value:
                    value = value.split("; ", 1)[1]
                self.entries.append((re.split(r"[\\/]", value)[-1], resolve(self.folder, value)))


class Copies:
    """Each copy's lines and the names its code uses, read once per distinct content."""

    def __init__(self):
        self.by_path, self.by_digest = {}, {}

    def get(self, path):
        if path not in self.by_path:
            data = path.read_bytes()
            digest = hashlib.sha256(data).hexdigest()
            if digest not in self.by_digest:
                lines = read_lines(path)
                used = {fold(w) for line in lines for w in Code(line).identifiers}
                self.by_digest[digest] = (lines, used)
            self.by_path[path] = (digest,) + self.by_digest[digest]
        return self.by_path[path]


def check(root, activex_judged, only=None):
    violations, notes = [], []
    projects = [Project(p) for p in sorted(root.rglob("*.vbp")) if p.is_file() and not any(
        part.startswith("New_") for part in p.relative_to(root).parts[:-1])
        and (only is None or p.resolve() in only)]
    copies, includers, copy_of = Copies(), {}, {}  # copy_of[(project, module)]: the copy's path
    holder = {}  # a copy's path -> the module file it holds
    for k, project in enumerate(projects):
        for name, module in project.entries:
            if module is None:
                notes.append("%s: an entry names no file: %s" % (project.file, name))
                continue
            includers.setdefault(module, [])
            if k not in includers[module]:
                includers[module].append(k)
            copy = find_ignoring_case(project.copy, name) if project.copy.is_dir() else None
            if copy is None:
                violations.append("%s: no copy of %s in %s" % (
                    project.file.relative_to(root), name, project.copy.relative_to(root)))
                continue
            if holder.setdefault(copy, module) != module:
                violations.append("%s: holds both %s and %s"
                                  % (copy.relative_to(root), holder[copy], module))
                continue
            copy_of[(k, module)] = copy
    working_copies = {p.copy for p in projects if p.copy.is_dir()}
    shared = [m for m, ps in includers.items() if len(ps) > 1]

    # a. one content for every copy of a module file, line for line as long as the user's.
    originals, misaligned = {}, set()
    for module, ps in includers.items():
        originals[module] = read_lines(module)
        digests = {}
        for path in sorted({copy_of[(k, module)] for k in ps if (k, module) in copy_of}):
            digest, lines, _ = copies.get(path)
            digests.setdefault(digest, []).append(str(path.parent.relative_to(root)))
            if len(lines) != len(originals[module]):
                # Intake joins continued lines (" _"): such a copy is not checked line by line.
                misaligned.add(path)
                notes.append("%s: %d lines where the user's file has %d (continued lines "
                             "joined); not checked line by line"
                             % (path.relative_to(root), len(lines), len(originals[module])))
        if len(digests) > 1:
            violations.append("%s: the working copies hold different bytes for it: %s" % (
                module.relative_to(root) if module.is_relative_to(root) else module,
                "; ".join(", ".join(ws) for ws in digests.values())))

    # b, c. Each marked or demoted Public declaration against the code that could use it.
    modules_of = {}
    for k, m in copy_of:
        modules_of.setdefault(k, []).append(m)
    counts = {"marked": 0, "demoted": 0, "traps": 0, "exposed": 0}
    for module in sorted(includers):
        ps = includers[module]
        exposed = module.suffix.lower() == ".cls" and any(projects[k].activex for k in ps) and \
            any(EXPOSED.match(line) for line in originals[module])
        # The other modules whose code may use the module's Public names, as their copies read.
        readers = range(len(projects)) if exposed and activex_judged else ps
        others = [(k, m, copies.get(copy_of[(k, m)])[2]) for k in readers
                  for m in modules_of.get(k, []) if m != module]
        for row, line in enumerate(originals[module]):
            declared = PUBLIC.match(line)
            if not declared:
                continue
            name = fold(declared.group(1))
            found = [(k, m) for k, m, used in others if name in used]
            using_projects = {k for k, _ in found}
            trap = len(ps) > 1 and len(using_projects) == 1
            counts["traps"] += trap
            for path in sorted({copy_of[(k, module)] for k in ps if (k, module) in copy_of}
                               - misaligned):
                _, lines, own_used = copies.get(path)
                marked = lines[row].startswith(marker())
                demoted = not marked and PRIVATE.match(lines[row]) is not None
                if not (marked or demoted):
                    continue
                counts["marked" if marked else "demoted"] += 1
                where = "%s:%d: %s %s" % (path.relative_to(root), row + 1, declared.group(1),
                                          "marked unused" if marked else "made Private")
                if trap:
                    where += " (a trap: only %s uses it)" % projects[found[0][0]].file.name
                if exposed:
                    counts["exposed"] += 1
                    if not activex_judged:
                        violations.append("%s, but it is a Public member of a public class of "
                                          "an ActiveX project" % where)
                        continue
                if found:
                    k2, m2 = found[0]
                    violations.append("%s, but %s uses it (in %s)%s" % (
                        where, copy_of[(k2, m2)].relative_to(root), projects[k2].file.name,
                        " and %d other modules too" % (len(found) - 1) if len(found) > 1 else ""))
                if marked and name in own_used:
                    violations.append("%s, but its own module's code uses it" % where)
    return projects, includers, working_copies, shared, counts, violations, notes


def main(argv):
    sys.stdout.reconfigure(errors="backslashreplace")
    args = argv[1:]
    activex_judged = "--activex-judged" in args
    args = [a for a in args if a != "--activex-judged"]
    global CODEPAGE
    only = None
    while len(args) >= 3 and args[0] in ("--codepage", "--projects"):
        if args[0] == "--codepage" and args[1].isdigit():
            CODEPAGE = int(args[1])
        elif args[0] == "--projects":
            only = {pathlib.Path(line).resolve()
                    for line in pathlib.Path(args[1]).read_text("utf-8").splitlines() if line}
        else:
            break
        args = args[2:]
    if len(args) != 1 or not pathlib.Path(args[0]).is_dir():
        print("usage: group_check.py [--activex-judged] [--codepage N] [--projects LIST] ROOT",
              file=sys.stderr)
        return 2
    root = pathlib.Path(args[0]).resolve()
    projects, includers, working_copies, shared, counts, violations, notes = \
        check(root, activex_judged, only)
    for n in notes:
        print("note: " + n)
    for v in violations:
        print(v)
    print("%d projects, %d module files, %d working copies, %d module files shared by 2+ "
          "projects" % (len(projects), len(includers), len(working_copies), len(shared)))
    print("%d Public declarations marked unused and %d made Private checked (%d of them members "
          "of public ActiveX classes); %d trap declarations found"
          % (counts["marked"], counts["demoted"], counts["exposed"], counts["traps"]))
    print("%d violations" % len(violations))
    if not working_copies or not shared:
        print("nothing to check: %s" % ("no working copy" if not working_copies
                                         else "no module file that two projects include"))
        return 2
    return 1 if violations else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
