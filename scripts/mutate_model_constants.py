#!/usr/bin/env python3
"""Changes the numbers of zem/model one at a time and reports the changes no model test notices.

Each integer literal in the model sources (outside comments, strings and preprocessor lines) is a mutation
site. A mutant replaces one literal by its value + 1, rebuilds only the two model test programs and runs
them; the mutant is killed when a test fails. A number whose + 1 survives is tried again with - 1: when that
is killed the + 1 change was invisible (a bound that is clamped, a count no caller reaches) and the site is
reported as one-sided. Survivors of both changes are listed at the end: each is a number the tests do not
pin down, unless it is listed below as equivalent (no change of the number can change what the code does).
Mutants that no longer compile are reported apart (the compiler caught them).

The tree is copied to a work folder (one copy per job) so the working tree is never touched.

  scripts/mutate_model_constants.py                 # every site, 3 jobs
  scripts/mutate_model_constants.py --list          # only list the sites
  scripts/mutate_model_constants.py --files zem/model/Brv600Models.cpp --jobs 1
"""

import argparse
import os
import queue
import re
import shutil
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

DEFAULT_FILES = [
    "zem/model/Brv200Models.cpp",
    "zem/model/Brv600Models.cpp",
    "zem/model/GrobelModels.cpp",
    "zem/model/GrobelModels.h",
    "zem/model/NimboRastelModels.cpp",
    "zem/model/Brv1200Models.cpp",
    "zem/model/LedModels.cpp",
    "zem/model/BralinModel.cpp",
    "zem/model/KandrelModel.cpp",
    "zem/model/uZemModels.cpp",
    "zem/model/uZemModels.h",
    "zem/model/model_support.cpp",
    "zem/model/uZemFixture.cpp",
    "zem/model/uZemFixture.h",
]
# Sites where no test can see a change, by file and line text, with the reason.
EQUIVALENT = {
    ("zem/model/BralinModel.cpp", "int count = 0;"): "the scan sets the count before anything reads it",
    ("zem/model/KandrelModel.cpp", "int count = 0;"): "the scan sets the count before anything reads it",
    ("zem/model/uZemFixture.cpp", 'if (enterFunction >= 0) checkByte(enterFunction, "service function");'):
        "function 0 passes the byte check, so skipping the check for it changes nothing",
    ("zem/model/uZemFixture.cpp", "std::array<uint8_t, 4> ts{};"):
        "a fifth time-stamp byte is read but never printed (a third-only array is an out-of-bounds read that "
        "the sanitizer build reports)",
}
TARGETS = ["zem_model_test", "zem_models_test"]
TEST_PROGRAMS = ["zem/model/zem_model_test", "zem/model/zem_models_test"]

LITERAL = re.compile(r"(?<![\w.])(0[xX][0-9A-Fa-f]+|\d+)([uU]?[lL]{0,2})(?![\w.])")


def code_spans(text):
    """Yields (start, end) of the text outside comments, string and character literals and # lines."""
    i, n, start = 0, len(text), 0
    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            yield start, i
            end = text.find("\n", i)
            i = n if end < 0 else end
            start = i
            continue
        if c == "\n":
            at_line_start = True
            i += 1
            continue
        if not c.isspace():
            at_line_start = False
        if text.startswith("//", i):
            yield start, i
            end = text.find("\n", i)
            i = n if end < 0 else end
            start = i
        elif text.startswith("/*", i):
            yield start, i
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
            start = i
        elif c in "\"'":
            yield start, i
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            i = j + 1
            start = i
        else:
            i += 1
    yield start, n


def sites(path):
    """Mutation sites of one file: (offset, literal, literal + 1, line number, line text, literal - 1 or None)."""
    text = open(os.path.join(ROOT, path)).read()
    found = []
    for a, b in code_spans(text):
        for m in LITERAL.finditer(text, a, b):
            if m.end() > b:
                continue
            line_start = text.rfind("\n", 0, m.start()) + 1
            line_end = text.find("\n", m.start())
            line = text[line_start:line_end].strip()
            if "static_assert" in line:
                continue
            digits, suffix = m.group(1), m.group(2)
            hexa = digits.lower().startswith("0x")

            def spelled(value):
                return (hex(value).upper().replace("0X", "0x") if hexa else str(value)) + suffix

            value = int(digits, 0)
            down = spelled(value - 1) if value > 0 else None
            found.append((m.start(), m.group(0), spelled(value + 1), text.count("\n", 0, m.start()) + 1, line, down))
    return found


def run(cmd, cwd, env=None, timeout=None):
    return subprocess.run(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          timeout=timeout)


def prepare(work, job):
    """A copy of the tree with the model test programs built; returns (source, build) folders."""
    src = os.path.join(work, f"job{job}", "src")
    build = os.path.join(work, f"job{job}", "build")
    # Only files that differ are written (with a fresh time stamp), so the build redoes what changed.
    files = run(["git", "ls-files", "--cached", "--others", "--exclude-standard"], ROOT).stdout.split()
    for f in files:
        here, there = os.path.join(ROOT, f), os.path.join(src, f)
        if not os.path.isfile(here):
            continue
        if os.path.isfile(there) and open(here, "rb").read() == open(there, "rb").read():
            continue
        os.makedirs(os.path.dirname(there), exist_ok=True)
        shutil.copyfile(here, there)
    env = dict(os.environ, CCACHE_BASEDIR=work)
    launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    r = run(["cmake", "-G", "Ninja", "-S", src, "-B", build, "-DCMAKE_BUILD_TYPE=", "-DCMAKE_CXX_FLAGS=-O0",
             "-DZEM_BUILD_BENCH=OFF"] + launcher, ROOT, env)
    if r.returncode != 0:
        raise RuntimeError("configure failed:\n" + r.stdout)
    r = run(["cmake", "--build", build, "--target"] + TARGETS + ["-j2"], ROOT, env)
    if r.returncode != 0:
        raise RuntimeError("build of the unchanged tree failed:\n" + r.stdout[-4000:])
    if not tests_pass(build):
        raise RuntimeError("the model tests fail on the unchanged tree")
    return src, build


def tests_pass(build):
    env = dict(os.environ, GTEST_FAIL_FAST="1", GTEST_BRIEF="1",
               ZEM_D2XX_LIBRARY=os.path.join(build, "sim/fixture/libsim_fixture.so"))
    for program in TEST_PROGRAMS:
        try:
            if run([os.path.join(build, program)], build, env, timeout=120).returncode != 0:
                return False
        except subprocess.TimeoutExpired:
            return False
    return True


def mutate(src, build, path, site, new):
    """'killed', 'survived' or 'no-build' for one mutant; the file is restored afterwards."""
    offset, old = site[0], site[1]
    full = os.path.join(src, path)
    original = open(full).read()
    assert original[offset:offset + len(old)] == old
    try:
        with open(full, "w") as f:
            f.write(original[:offset] + new + original[offset + len(old):])
        env = dict(os.environ, CCACHE_DISABLE="1")
        if run(["cmake", "--build", build, "--target"] + TARGETS + ["-j1"], src, env).returncode != 0:
            return "no-build"
        return "survived" if tests_pass(build) else "killed"
    finally:
        with open(full, "w") as f:
            f.write(original)


def in_threads(target, jobs):
    """Runs target(0) ... target(jobs - 1) side by side and waits for all."""
    threads = [threading.Thread(target=target, args=(j,)) for j in range(jobs)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--files", nargs="*", default=DEFAULT_FILES, help="sources to mutate (repository paths)")
    parser.add_argument("--jobs", type=int, default=3, help="tree copies building mutants side by side")
    parser.add_argument("--work", default=os.path.join(ROOT, "build-mutate"), help="folder for the tree copies")
    parser.add_argument("--list", action="store_true", help="list the mutation sites and stop")
    parser.add_argument("--match", default="", help="only sites whose line contains this text")
    args = parser.parse_args()

    todo = [(path, s) for path in args.files for s in sites(path) if args.match in s[4]]
    if args.list:
        for path, (_, old, new, line, text, _) in todo:
            print(f"{path}:{line}: {old} -> {new}    {text}")
        print(f"{len(todo)} sites")
        return 0

    started = time.time()
    print(f"{len(todo)} mutants in {len(args.files)} files; preparing {args.jobs} tree copies ...", flush=True)
    copies = [None] * args.jobs

    def setup(j):
        try:
            copies[j] = prepare(args.work, j)
        except RuntimeError as e:
            print(f"copy {j}: {e}", flush=True)

    in_threads(setup, args.jobs)
    if any(c is None for c in copies):
        return 1

    # Mutants of one file stay on one copy, so each copy rebuilds few files.
    work = queue.Queue()
    for path in args.files:
        mine = [s for p, s in todo if p == path]
        if mine:
            work.put((path, mine))
    results = []
    lock = threading.Lock()

    def worker(j):
        src, build = copies[j]
        while True:
            try:
                path, file_sites = work.get_nowait()
            except queue.Empty:
                return
            for s in file_sites:
                outcome = mutate(src, build, path, s, s[2])
                if outcome == "survived" and s[5] is not None and mutate(src, build, path, s, s[5]) == "killed":
                    outcome = "one-sided"
                if outcome == "survived" and (path, s[4]) in EQUIVALENT:
                    outcome = "equivalent"
                with lock:
                    results.append((path, s, outcome))
                    done = len(results)
                    if outcome in ("survived", "one-sided") or done % 25 == 0:
                        mark = {"survived": "SURVIVED ", "one-sided": "ONE-SIDED "}.get(outcome, "")
                        print(f"[{done}/{len(todo)}] {mark}{path}:{s[3]}: {s[1]} -> {s[2]}    {s[4]}", flush=True)

    in_threads(worker, args.jobs)

    def outcome(kind):
        return sorted((r for r in results if r[2] == kind), key=lambda r: (r[0], r[1][3]))

    killed, broken, one_sided, equivalent, survivors = (
        outcome(k) for k in ("killed", "no-build", "one-sided", "equivalent", "survived"))
    print(f"\n{len(results)} sites: {len(killed)} killed by a test, {len(broken)} refused by the compiler, "
          f"{len(one_sided)} one-sided (+ 1 unseen, - 1 killed), {len(equivalent)} known equivalent, "
          f"{len(survivors)} survived ({(time.time() - started) / 60:.1f} min)")
    for title, rows in (("One-sided:", one_sided), ("Known equivalent:", equivalent), ("Survivors:", survivors)):
        if rows:
            print(title)
        for path, (_, old, new, line, text, _), _ in rows:
            reason = EQUIVALENT.get((path, text))
            print(f"  {path}:{line}: {old} -> {new}    {text}" + (f"    ({reason})" if reason else ""))
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
