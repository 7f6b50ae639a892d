#!/usr/bin/python3
"""Mutation testing of the pure code: does each unit test suite notice a small fault in the code it covers?

Usage: tools/mutate.py [options] FILE...     (paths relative to the repository, e.g. show/show_screens.cpp)

For each FILE, one mutant at a time: a relational or arithmetic operator swapped, an integer constant
one up or one down, a condition, `!` or a boolean literal negated, `&&` and `||` swapped, `++` and `--`
swapped, or one statement deleted (a call, an assignment, a return, a throw). Each mutant is compiled
into a fast, unsanitized host build of the unit tests (-O0, with the standard library's bounds checks)
and the whole suite is run. A failing, crashing or hanging suite kills the mutant; a mutant that does
not compile (an operator inside a template, a return the function cannot do without) is stillborn and
counted nowhere.

The mutants are made in a copy of the tree under the build directory (build/mutate/ by default), so
the working tree is never changed, even when the run is interrupted; the copy is brought back in line
with the working tree at every start. The order of the mutants, and so the report, is the same on
every run of the same sources.

--equivalent FILE names surviving mutants judged equivalent to the original (one id per line, as the
report prints them, `#` starts a comment): the report then gives the score over the others as well.
An id hashes the mutated line's text, so it stays valid while that line is unchanged.
"""

import argparse
import dataclasses
import fcntl
import hashlib
import json
import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TEST_BINARY = Path("tests/torva_unit_tests")

# ---------------------------------------------------------------------------------------------------
# A small C++ lexer: enough to tell code from comments, strings and preprocessor lines, and to find
# operators, literals and statements.

PUNCTUATORS = sorted(
    "<<= >>= <=> ->* :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= "
    "{ } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #".split(),
    key=len, reverse=True)


@dataclasses.dataclass
class Token:
    kind: str  # "id", "num", "punct", "str"
    text: str
    start: int
    end: int


def Tokenize(source):
    tokens = []
    i, n = 0, len(source)
    lineStart = True
    while i < n:
        c = source[i]
        if c == "\n":
            lineStart = True
            i += 1
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if lineStart and c == "#":
            # A preprocessor line, with its continuations: never mutated.
            while i < n and source[i] != "\n":
                i += 2 if source.startswith("\\\n", i) else 1
            continue
        lineStart = False
        if source.startswith("//", i):
            i = source.find("\n", i)
            i = n if i < 0 else i
            continue
        if source.startswith("/*", i):
            i = source.find("*/", i + 2)
            i = n if i < 0 else i + 2
            continue
        prefix = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', source[i:])
        if prefix:
            close = source.find(")" + prefix.group(1) + '"', i + prefix.end())
            end = n if close < 0 else close + len(prefix.group(1)) + 2
            tokens.append(Token("str", source[i:end], i, end))
            i = end
            continue
        prefix = re.match(r"(?:u8|u|U|L)?(['\"])", source[i:])
        if prefix:
            quote = prefix.group(1)
            j = i + prefix.end()
            while j < n and source[j] != quote:
                j += 2 if source[j] == "\\" else 1
            tokens.append(Token("str", source[i:j + 1], i, j + 1))
            i = j + 1
            continue
        number = re.match(r"(?:0[xX][0-9a-fA-F']+|\.?[0-9](?:[0-9a-zA-Z_'.]|[eEpP][+-])*)", source[i:])
        if number:
            tokens.append(Token("num", number.group(0), i, i + number.end()))
            i += number.end()
            continue
        word = re.match(r"[A-Za-z_]\w*", source[i:])
        if word:
            tokens.append(Token("id", word.group(0), i, i + word.end()))
            i += word.end()
            continue
        for p in PUNCTUATORS:
            if source.startswith(p, i):
                tokens.append(Token("punct", p, i, i + len(p)))
                i += len(p)
                break
        else:
            tokens.append(Token("punct", c, i, i + 1))
            i += 1
    return tokens


# ---------------------------------------------------------------------------------------------------
# The mutants.

@dataclasses.dataclass
class Mutant:
    path: str
    start: int
    end: int
    replacement: str
    kind: str
    line: int = 0
    column: int = 0
    lineText: str = ""
    id: str = ""
    outcome: str = ""

    def Describe(self, source):
        original = source[self.start:self.end]
        if self.kind == "delete":
            return "delete `%s`" % " ".join(original.split())
        if len(original) > 40:
            original = original[:37] + "..."
        return "%s: `%s` -> `%s`" % (self.kind, " ".join(original.split()), " ".join(self.replacement.split())[:60])


RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*", "%": "*"}
COMPOUND = {"+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}
# Words that begin a declaration rather than an expression statement.
DECLARATION_WORDS = {
    "auto", "bool", "char", "class", "const", "constexpr", "double", "enum", "explicit", "extern",
    "float", "friend", "inline", "int", "long", "namespace", "short", "signed", "static", "struct",
    "template", "typedef", "typename", "union", "unsigned", "using", "virtual", "void", "wchar_t",
    "case", "default", "public", "private", "protected", "operator", "if", "for", "while", "switch",
    "do", "else", "try", "catch", "delete", "new", "goto", "static_assert", "co_return", "break",
}


def Spaced(source, token):
    """A binary operator as this code base writes one: a blank on either side."""
    return (token.start > 0 and source[token.start - 1] in " \t\n" and
            token.end < len(source) and source[token.end] in " \t\n")


def IntegerValue(text):
    digits = text.replace("'", "")
    match = re.fullmatch(r"(0[xX][0-9a-fA-F]+|[0-9]+)([uUlL]*)", digits)
    if not match:
        return None
    body, suffix = match.groups()
    if body.startswith(("0x", "0X")):
        return int(body, 16), True, suffix
    if len(body) > 1 and body.startswith("0"):
        return None  # octal: none in this code, and easy to get wrong
    return int(body), False, suffix


def MatchingClose(tokens, index):
    pairs = {"(": ")", "[": "]", "{": "}"}
    depth = 0
    for j in range(index, len(tokens)):
        t = tokens[j].text
        if tokens[j].kind != "punct":
            continue
        if t in pairs:
            depth += 1
        elif t in (")", "]", "}"):
            depth -= 1
            if depth == 0:
                return j
    return None


def StatementEnd(tokens, index):
    """The `;` that ends the statement starting at `index`, or None when a brace at its own level
    shows it is no simple statement."""
    depth = 0
    for j in range(index, len(tokens)):
        t = tokens[j]
        if t.kind != "punct":
            continue
        if t.text in ("(", "["):
            depth += 1
        elif t.text in (")", "]"):
            depth -= 1
            if depth < 0:
                return None
        elif t.text == "{":
            if depth == 0:
                return None
            depth += 1
        elif t.text == "}":
            if depth == 0:
                return None
            depth -= 1
        elif t.text == ";" and depth == 0:
            return j
    return None


def IsExpressionStatement(tokens, index):
    first = tokens[index]
    if first.kind == "punct":
        return first.text in ("++", "--", "*")
    if first.kind != "id":
        return False
    if first.text in ("return", "throw", "continue", "this"):
        return True
    if first.text in DECLARATION_WORDS:
        return False
    j = index
    # A name, maybe qualified or a member chain, then what follows it decides.
    while j + 2 < len(tokens) and tokens[j + 1].text in ("::", ".", "->") and tokens[j + 2].kind == "id":
        j += 2
    following = tokens[j + 1].text if j + 1 < len(tokens) else ""
    if following == "[":
        close = MatchingClose(tokens, j + 1)
        following = tokens[close + 1].text if close is not None and close + 1 < len(tokens) else ""
        return following in ("=", "+=", "-=", "*=", "/=", "++", "--", ".", "->", "(")
    if following == "(":
        # A call; or a constructor's declaration in a class, which is not told apart here: the
        # compiler rejects that mutant as stillborn.
        return True
    return following in ("=", "+=", "-=", "*=", "/=", "%=", "|=", "&=", "++", "--")


def FindMutants(path, source):
    tokens = Tokenize(source)
    mutants = []

    def Add(start, end, replacement, kind):
        mutants.append(Mutant(path, start, end, replacement, kind))

    # Which open braces hold statements (function, lambda and block bodies) rather than members,
    # enumerators or initializers.
    bodyBrace = {}
    for i, t in enumerate(tokens):
        if t.text == "{" and t.kind == "punct":
            previous = tokens[i - 1] if i > 0 else None
            isBody = previous is not None and (
                previous.text in (")", "else", "do", "try", "const", "noexcept", "override", "final",
                                  "mutable") or
                (previous.text in ("{", ";", "}", ":") and previous.kind == "punct"))
            bodyBrace[i] = isBody

    stack = []          # indices of open brackets
    caseLabel = False   # inside `case ...:` up to its colon
    caseLabelEnded = -1  # the colon that ended the last one
    controlParens = set()  # indices of `)` that close an if/for/while/switch header
    for i, t in enumerate(tokens):
        if t.kind == "id" and t.text in ("if", "while", "for", "switch") and i + 1 < len(tokens):
            k = i + 1
            if tokens[k].text == "constexpr":
                k += 1
            if tokens[k].text == "(":
                close = MatchingClose(tokens, k)
                if close is not None:
                    controlParens.add(close)
                    if t.text in ("if", "while"):
                        # Negate the condition (after an init-statement, if any).
                        inner = k + 1
                        depth = 0
                        for j in range(k + 1, close):
                            if tokens[j].text in ("(", "[", "{"):
                                depth += 1
                            elif tokens[j].text in (")", "]", "}"):
                                depth -= 1
                            elif tokens[j].text == ";" and depth == 0:
                                inner = j + 1
                        # Not where `==` / `!=` or dropping a leading `!` make the same mutant.
                        depth = 0
                        top = set()
                        for j in range(inner, close):
                            if tokens[j].text in ("(", "[", "{"):
                                depth += 1
                            elif tokens[j].text in (")", "]", "}"):
                                depth -= 1
                            elif depth == 0 and tokens[j].kind == "punct":
                                top.add(tokens[j].text)
                        same = not top & {"&&", "||", "?"} and (
                            top & {"==", "!="} or tokens[inner].text == "!")
                        if not same:
                            start, end = tokens[inner].start, tokens[close - 1].end
                            Add(start, end, "!(" + source[start:end] + ")", "negate condition")
        if t.kind == "id" and t.text in ("case", "default"):
            caseLabel = True

        # Statement deletion: a statement that starts here, inside a body.
        inBody = bool(stack) and tokens[stack[-1]].text == "{" and bodyBrace.get(stack[-1], False)
        previous = tokens[i - 1] if i > 0 else None
        startsStatement = previous is not None and (
            (previous.kind == "punct" and previous.text in (";", "{", "}")) or
            previous.text == "else" or
            (previous.text == ")" and (i - 1) in controlParens) or
            (previous.text == ":" and previous.kind == "punct" and caseLabelEnded == i - 1))
        if inBody and startsStatement and IsExpressionStatement(tokens, i):
            end = StatementEnd(tokens, i)
            if end is not None and not (t.text == "return" and tokens[i + 1].text == ";"
                                        and previous.text == "{" and tokens[end + 1].text == "}"):
                Add(t.start, tokens[end].end, "{}", "delete")

        if t.kind == "punct":
            if t.text in ("(", "[", "{"):
                stack.append(i)
            elif t.text in (")", "]", "}") and stack:
                stack.pop()
            elif t.text == ":" and caseLabel:
                caseLabel = False
                caseLabelEnded = i
            if t.text in RELATIONAL and Spaced(source, t):
                Add(t.start, t.end, RELATIONAL[t.text], "relational")
            elif t.text in ARITHMETIC and Spaced(source, t):
                Add(t.start, t.end, ARITHMETIC[t.text], "arithmetic")
            elif t.text in COMPOUND:
                Add(t.start, t.end, COMPOUND[t.text], "arithmetic")
            elif t.text in ("&&", "||") and Spaced(source, t):
                Add(t.start, t.end, "||" if t.text == "&&" else "&&", "logical")
            elif t.text in ("++", "--"):
                Add(t.start, t.end, "--" if t.text == "++" else "++", "increment")
            elif t.text == "!":
                Add(t.start, t.end, "", "drop negation")
        elif t.kind == "id" and t.text in ("true", "false"):
            Add(t.start, t.end, "false" if t.text == "true" else "true", "boolean")
        elif t.kind == "num":
            value = IntegerValue(t.text)
            pureSpecifier = (i >= 2 and tokens[i - 1].text == "=" and
                             tokens[i - 2].text in (")", "const", "override", "noexcept"))
            if value is not None and not pureSpecifier:
                number, isHex, suffix = value
                for changed in (number + 1, number - 1):
                    if changed < 0:
                        continue
                    text = ("0x%X" % changed if isHex else str(changed)) + suffix
                    Add(t.start, t.end, text, "constant")

    mutants.sort(key=lambda m: (m.start, m.end, m.replacement))
    lineStarts = [0] + [k + 1 for k, c in enumerate(source) if c == "\n"]
    for m in mutants:
        line = max(k for k in range(len(lineStarts)) if lineStarts[k] <= m.start)
        m.line = line + 1
        m.column = m.start - lineStarts[line] + 1
        lineEnd = source.find("\n", lineStarts[line])
        m.lineText = source[lineStarts[line]:lineEnd if lineEnd >= 0 else len(source)]
        stripped = m.lineText.strip()
        offset = m.start - lineStarts[line] - (len(m.lineText) - len(m.lineText.lstrip()))
        # Lines of the same text earlier in the file tell identical lines apart.
        twins = sum(1 for k in range(line) if source[lineStarts[k]:lineStarts[k + 1]].strip() == stripped)
        key = "%s|%s|%d|%d|%s|%s" % (path, stripped, twins, offset, source[m.start:m.end], m.replacement)
        m.id = "%s:%s" % (path, hashlib.sha1(key.encode()).hexdigest()[:8])
    return mutants


# ---------------------------------------------------------------------------------------------------
# The build and the runs.

def Run(command, cwd=None, timeout=None):
    """Runs `command` in its own process group, so a timeout or Ctrl-C ends all of it."""
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        return process.returncode, output.decode(errors="replace")
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise


def SyncCopy(copy):
    """Brings the copy of the tree in line with the working tree, touching only files that differ,
    so the copy's build stays incremental."""
    listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                            cwd=ROOT, check=True, stdout=subprocess.PIPE).stdout.decode().split("\0")
    for name in filter(None, listed):
        source = ROOT / name
        if not source.is_file():
            continue
        target = copy / name
        data = source.read_bytes()
        if target.is_file() and target.read_bytes() == data:
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)


def Build(buildDir, jobs):
    code, output = Run(["cmake", "--build", str(buildDir), "--target", "torva_unit_tests", "--", "-j", str(jobs)])
    return code == 0, output


def RunTests(buildDir, timeout):
    try:
        code, output = Run([str(buildDir / TEST_BINARY), "--gtest_brief=1"], timeout=timeout)
    except subprocess.TimeoutExpired:
        return "timeout", ""
    return ("passed" if code == 0 else "failed"), output


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("files", nargs="+", help="source files to mutate, relative to the repository")
    parser.add_argument("--build-dir", default=str(ROOT / "build" / "mutate"),
                        help="where the copy of the tree and its build go (default: build/mutate)")
    parser.add_argument("--jobs", type=int, default=2, help="parallel compile jobs (default: 2)")
    parser.add_argument("--timeout", type=float, default=0,
                        help="seconds a test run may take before its mutant counts as killed by a hang "
                             "(default: 10 times the unmutated run, at least 10 s)")
    parser.add_argument("--list", action="store_true", help="only list the mutants")
    parser.add_argument("--equivalent", help="file of surviving mutants judged equivalent")
    parser.add_argument("--json", help="write every mutant and its outcome to this file")
    args = parser.parse_args()

    files = []
    for name in args.files:
        path = Path(name)
        path = path.resolve().relative_to(ROOT) if path.is_absolute() else path
        if not (ROOT / path).is_file():
            parser.error("no such file: %s" % name)
        files.append(path.as_posix())

    mutantsByFile = {}
    sources = {}
    for name in files:
        sources[name] = (ROOT / name).read_text()
        mutantsByFile[name] = FindMutants(name, sources[name])
    if args.list:
        for name in files:
            for m in mutantsByFile[name]:
                print("%s:%d:%d %s  [%s]" % (name, m.line, m.column, m.Describe(sources[name]), m.id))
        return 0

    equivalent = {}
    if args.equivalent:
        for line in Path(args.equivalent).read_text().splitlines():
            entry, _, reason = line.partition("#")
            if entry.strip():
                equivalent[entry.strip()] = reason.strip()

    workDir = Path(args.build_dir)
    copy = workDir / "src"
    buildDir = workDir / "build"
    copy.mkdir(parents=True, exist_ok=True)
    # Two runs in one copy would build each other's mutants.
    lock = open(workDir / "lock", "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        print("another run is using %s; give this one its own --build-dir" % workDir)
        return 2
    SyncCopy(copy)
    if not (buildDir / "build.ninja").is_file():
        # No sanitizers and no optimisation: each mutant compiles and runs in seconds. A function that
        # a deleted return leaves without one is a stillborn mutant, not undefined behaviour.
        code, output = Run(["cmake", "-S", str(copy), "-B", str(buildDir), "-G", "Ninja",
                            "-DCMAKE_BUILD_TYPE=", "-DTORVA_STDLIB_ASSERTIONS=ON",
                            "-DCMAKE_CXX_FLAGS=-Werror=return-type"])
        if code != 0:
            print(output)
            return 2
    started = time.monotonic()
    ok, output = Build(buildDir, args.jobs)
    if not ok:
        print(output)
        print("the unmutated tree does not build")
        return 2
    testStart = time.monotonic()
    result, output = RunTests(buildDir, None)
    baseline = time.monotonic() - testStart
    if result != "passed":
        print(output)
        print("the unmutated tests fail")
        return 2
    timeout = args.timeout or max(10.0, 10 * baseline)
    total = sum(len(m) for m in mutantsByFile.values())
    print("%d mutants in %d file(s); unmutated suite runs in %.2f s, hang limit %.0f s"
          % (total, len(files), baseline, timeout), flush=True)

    done = 0
    for name in files:
        target = copy / name
        original = sources[name]
        try:
            for m in mutantsByFile[name]:
                target.write_text(original[:m.start] + m.replacement + original[m.end:])
                built, _ = Build(buildDir, args.jobs)
                if not built:
                    m.outcome = "stillborn"
                else:
                    result, _ = RunTests(buildDir, timeout)
                    m.outcome = {"passed": "survived", "failed": "killed", "timeout": "killed (hang)"}[result]
                done += 1
                print("[%d/%d] %s:%d:%d %s: %s" % (done, total, name, m.line, m.column,
                                                  m.Describe(original), m.outcome), flush=True)
        finally:
            target.write_text(original)
    Build(buildDir, args.jobs)

    print("\n%-34s %7s %9s %7s %8s %9s %6s %10s" % ("file", "mutants", "stillborn", "killed", "survived",
                                                   "equivalent", "score", "non-equiv"))
    allMutants = [m for name in files for m in mutantsByFile[name]]
    rows = [(name, mutantsByFile[name]) for name in files] + ([("all", allMutants)] if len(files) > 1 else [])
    for name, mutants in rows:
        killed = sum(m.outcome.startswith("killed") for m in mutants)
        survived = [m for m in mutants if m.outcome == "survived"]
        stillborn = sum(m.outcome == "stillborn" for m in mutants)
        equivalents = sum(m.id in equivalent for m in survived)
        live = killed + len(survived)
        print("%-34s %7d %9d %7d %8d %10d %5.1f%% %9.1f%%" % (
            name, len(mutants), stillborn, killed, len(survived), equivalents,
            100.0 * killed / live if live else 100.0,
            100.0 * killed / (live - equivalents) if live - equivalents else 100.0))
    survivors = [m for m in allMutants if m.outcome == "survived"]
    if survivors:
        print("\nsurvivors:")
        for m in survivors:
            mark = "  (equivalent: %s)" % equivalent[m.id] if m.id in equivalent else ""
            print("  %s:%d:%d %s  [%s]%s\n      %s" % (m.path, m.line, m.column, m.Describe(sources[m.path]),
                                                     m.id, mark, m.lineText.strip()))
    print("\n%.0f s" % (time.monotonic() - started))
    if args.json:
        Path(args.json).write_text(json.dumps(
            [{"id": m.id, "file": m.path, "line": m.line, "column": m.column,
              "mutation": m.Describe(sources[m.path]), "outcome": m.outcome,
              "equivalent": equivalent.get(m.id)} for m in allMutants], indent=1))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        print("\ninterrupted; the working tree was never changed", file=sys.stderr)
        sys.exit(130)
