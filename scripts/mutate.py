#!/usr/bin/env python3
"""Mutation check: do the native tests catch the faults they are named for?

Applies each mutation of scripts/mutations.txt, one at a time, to a copy of the
source tree (never the working tree), rebuilds the native tests incrementally in
a build directory of the copy (kept between runs; ccache), runs the tests the
mutation names and prints whether they caught it:

  killed     a test failed, timed out, or the mutated code did not build
  survived   every named test passed: a fault no test catches
  equivalent listed in mutations.txt as not changing behaviour, with the reason
  stale      the file or the exact snippet is no longer found: fix the entry

Files are named by base name and found through `git ls-files`, and each mutation
anchors on an exact snippet that must occur once, so the list survives folders
being moved. Usage:

  scripts/mutate.py            every mutation
  scripts/mutate.py --quick    the dozen marked `quick`
  scripts/mutate.py --only period-   the mutations whose name contains a text
  scripts/mutate.py --list     resolve every entry and list it without building

Exit status: 0 when nothing survived and nothing is stale, 1 otherwise.
"""

from __future__ import annotations

import argparse
import dataclasses
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
DEFAULT_LIST = HERE / "mutations.txt"
TEST_TARGET = "zintra_tests"  # the CMake target of the native tests, wherever it is built


@dataclasses.dataclass
class Mutation:
    name: str
    line: int  # where the entry starts in the list, for messages
    file: str = ""
    tests: str = ""
    quick: bool = False
    equivalent: str = ""
    before: list[str] = dataclasses.field(default_factory=list)
    after: list[str] = dataclasses.field(default_factory=list)
    path: str = ""  # resolved, relative to the tree
    stale: str = ""  # why the entry cannot be applied

    @property
    def snippet(self) -> str:
        return "\n".join(self.before)

    @property
    def replacement(self) -> str:
        return "\n".join(self.after)


class ListError(Exception):
    pass


def parse_list(path: Path) -> list[Mutation]:
    """The list format: `== name` starts an entry; `file:`, `tests:`, `equivalent:`
    and `quick` describe it; `- ` lines are the exact snippet (joined with newlines)
    and `+ ` lines its replacement. `#` starts a comment line."""
    mutations: list[Mutation] = []
    current: Mutation | None = None
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        line = raw.rstrip("\n")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line.startswith("== "):
            current = Mutation(name=line[3:].strip(), line=number)
            mutations.append(current)
            continue
        if current is None:
            raise ListError(f"{path}:{number}: text before the first `== name` line")
        if line.startswith("- ") or line == "-":
            current.before.append(line[2:])
        elif line.startswith("+ ") or line == "+":
            current.after.append(line[2:])
        elif line.strip() == "quick":
            current.quick = True
        elif ":" in line:
            key, value = (part.strip() for part in line.split(":", 1))
            if key == "file":
                current.file = value
            elif key == "tests":
                current.tests = value
            elif key == "equivalent":
                current.equivalent = value
            else:
                raise ListError(f"{path}:{number}: unknown key `{key}`")
        else:
            raise ListError(f"{path}:{number}: cannot read `{line}`")
    names = set()
    for m in mutations:
        if m.name in names:
            raise ListError(f"{path}:{m.line}: the name `{m.name}` is used twice")
        names.add(m.name)
        if not m.file or not m.tests or not m.before:
            raise ListError(f"{path}:{m.line}: `{m.name}` needs file:, tests: and a `- ` snippet")
        if m.snippet == m.replacement:
            raise ListError(f"{path}:{m.line}: `{m.name}` replaces its snippet with itself")
    return mutations


def git_files(repo: Path) -> list[str]:
    out = subprocess.run(["git", "ls-files", "-z"], cwd=repo, check=True, capture_output=True).stdout
    return [name for name in out.decode().split("\0") if name]


def resolve(mutations: list[Mutation], repo: Path, files: list[str]) -> None:
    by_base: dict[str, list[str]] = {}
    for name in files:
        by_base.setdefault(os.path.basename(name), []).append(name)
    for m in mutations:
        matches = by_base.get(m.file, [])
        if len(matches) != 1:
            m.stale = (f"no tracked file is called {m.file}" if not matches
                       else f"{len(matches)} tracked files are called {m.file}: {', '.join(matches)}")
            continue
        m.path = matches[0]
        text = (repo / m.path).read_text(encoding="utf-8")
        count = text.count(m.snippet)
        if count != 1:
            m.stale = f"the snippet occurs {count} times in {m.path}"


def sync_tree(repo: Path, tree: Path, files: list[str]) -> None:
    """Copies the tracked files (as they are in the working tree, edits included)
    into the copy. Unchanged files keep their times, so rebuilds stay incremental."""
    wanted = set()
    for name in files:
        source = repo / name
        if not source.is_file():
            continue  # deleted in the working tree
        wanted.add(name)
        target = tree / name
        data = source.read_bytes()
        if target.is_file() and target.read_bytes() == data:
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
        shutil.copymode(source, target)
    for path in tree.rglob("*"):
        relative = path.relative_to(tree).as_posix()
        if relative.startswith("build/") or relative == "build":
            continue
        if path.is_file() and relative not in wanted:
            path.unlink()


def environment() -> dict[str, str]:
    env = dict(os.environ)
    # Shared caches between worktrees; the copy's build directory sits two levels
    # below its sources, like build/native does, so the relative paths ccache
    # hashes are the same and the worktree's objects are reused.
    env.setdefault("CCACHE_BASEDIR", "/work" if Path("/work").is_dir() else str(Path.home()))
    env.setdefault("CCACHE_NOHASHDIR", "true")
    return env


def configure(tree: Path, build: Path, env: dict[str, str]) -> None:
    if (build / "build.ninja").is_file():
        return
    subprocess.run(
        ["cmake", "-S", str(tree), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
         "-DCMAKE_C_COMPILER_LAUNCHER=ccache", "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache",
         # Listing the tests after every link would cost each mutation a run of the binary.
         "-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"],
        check=True, env=env, stdout=subprocess.DEVNULL)


def build_tests(build: Path, jobs: int, env: dict[str, str], log: Path, everything: bool = False) -> bool:
    """Builds the unit tests, or every target (programs and helpers of CTest tests) when `everything`."""
    with log.open("w") as out:
        result = subprocess.run(["ninja", "-C", str(build), "-j", str(jobs)] + ([] if everything else [TEST_TARGET]),
                                env=env, stdout=out, stderr=subprocess.STDOUT)
    return result.returncode == 0


def test_binary(build: Path) -> Path:
    found = [path for path in build.rglob(TEST_TARGET) if path.is_file() and os.access(path, os.X_OK)]
    if len(found) != 1:
        raise SystemExit(f"mutate.py: expected one {TEST_TARGET} under {build}, found {len(found)}")
    return found[0]


SCRIPT_TESTS = "script:"  # `tests: script:scripts/x.py` runs a Python test script of the copy instead
# `tests: ctest:NAME` runs the CTest test of that name in the copy's build (an end-to-end test on Xvfb).
CTEST_TESTS = "ctest:"


def runs_alone(tests: str) -> bool:
    """Script and CTest entries run one by one, not in one combined unit-test filter."""
    return tests.startswith(SCRIPT_TESTS) or tests.startswith(CTEST_TESTS)


def run_tests(build: Path, gtest_filter: str, timeout: float, env: dict[str, str], log: Path) -> str:
    """'pass', 'fail', 'timeout', or 'none' when the filter selects no test."""
    if gtest_filter.startswith(CTEST_TESTS):
        command = ["ctest", "--test-dir", str(build), "-R", f"^{gtest_filter[len(CTEST_TESTS):]}$", "--output-on-failure"]
    elif gtest_filter.startswith(SCRIPT_TESTS):
        # The copy's build directory sits two levels below its sources.
        command = [sys.executable, str(build.parent.parent / gtest_filter[len(SCRIPT_TESTS):])]
    else:
        command = [str(test_binary(build)), f"--gtest_filter={gtest_filter}", "--gtest_brief=1"]
    with log.open("w") as out:
        try:
            result = subprocess.run(command, cwd=build, env=env, stdout=out, stderr=subprocess.STDOUT, timeout=timeout)
        except subprocess.TimeoutExpired:
            return "timeout"
    text = log.read_text(errors="replace")
    if result.returncode != 0:
        return "fail"
    if "0 tests from 0 test suites ran" in text or "No tests were found" in text:
        return "none"
    return "pass"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list-file", type=Path, default=DEFAULT_LIST, help="the mutation list")
    parser.add_argument("--quick", action="store_true", help="only the mutations marked quick")
    parser.add_argument("--only", action="append", default=[], help="only names containing this text (repeatable)")
    parser.add_argument("--list", action="store_true", help="resolve and list the mutations, build nothing")
    parser.add_argument("--check-equivalent", action="store_true", help="run the equivalent ones too")
    parser.add_argument("--work", type=Path, help="where the copy and its build live (default build/mutate)")
    parser.add_argument("-j", "--jobs", type=int, default=1, help="build jobs (default 1: a shared machine)")
    parser.add_argument("--timeout", type=float, default=300, help="seconds before a test run counts as hung")
    args = parser.parse_args()

    repo = Path(subprocess.run(["git", "rev-parse", "--show-toplevel"], cwd=HERE, check=True,
                               capture_output=True, text=True).stdout.strip())
    try:
        mutations = parse_list(args.list_file)
    except ListError as error:
        print(f"mutate.py: {error}", file=sys.stderr)
        return 2
    if args.quick:
        mutations = [m for m in mutations if m.quick]
    if args.only:
        mutations = [m for m in mutations if any(text in m.name for text in args.only)]
    files = git_files(repo)
    resolve(mutations, repo, files)

    if args.list:
        for m in mutations:
            kind = "stale" if m.stale else "equivalent" if m.equivalent else "quick" if m.quick else ""
            print(f"{m.name:44} {m.path or m.file:40} {kind}")
            if m.stale:
                print(f"    {m.stale}")
        print(f"{len(mutations)} mutations, {sum(bool(m.stale) for m in mutations)} stale")
        return 1 if any(m.stale for m in mutations) else 0

    work = (args.work or repo / "build" / "mutate").resolve()
    tree = work / "tree"
    build = tree / "build" / "native"
    logs = work / "logs"
    tree.mkdir(parents=True, exist_ok=True)
    if logs.exists():
        shutil.rmtree(logs)
    logs.mkdir(parents=True)
    env = environment()

    started = time.monotonic()
    print(f"copying the sources to {tree}", flush=True)
    sync_tree(repo, tree, files)
    configure(tree, build, env)
    runnable = [m for m in mutations if not m.stale and (not m.equivalent or args.check_equivalent)]
    everything = any(m.tests.startswith(CTEST_TESTS) for m in runnable)
    print(f"building the unmutated tests in {build} (-j{args.jobs})", flush=True)
    if not build_tests(build, args.jobs, env, logs / "baseline-build.log", everything):
        print(f"the unmutated tree does not build: see {logs / 'baseline-build.log'}")
        return 2
    if runnable:
        filters = {part for m in runnable if not runs_alone(m.tests) for part in m.tests.split(":")}
        baselines = ([":".join(sorted(filters))] if filters else []) + sorted(
            {m.tests for m in runnable if runs_alone(m.tests)})
        for index, tests in enumerate(baselines):
            log = logs / f"baseline-tests-{index}.log"
            outcome = run_tests(build, tests, args.timeout, env, log)
            if outcome != "pass":
                print(f"the unmutated tests do not pass ({outcome}): see {log}")
                return 2

    results: dict[str, list[Mutation]] = {"killed": [], "survived": [], "equivalent": [], "stale": []}
    width = max((len(m.name) for m in mutations), default=10)
    for index, m in enumerate(mutations, 1):
        prefix = f"[{index:3}/{len(mutations)}] {m.name:{width}}"
        if m.stale:
            results["stale"].append(m)
            print(f"{prefix} STALE       {m.stale}", flush=True)
            continue
        if m.equivalent and not args.check_equivalent:
            results["equivalent"].append(m)
            print(f"{prefix} EQUIVALENT  {m.equivalent}", flush=True)
            continue
        target = tree / m.path
        original = target.read_text(encoding="utf-8")
        mutated = original.replace(m.snippet, m.replacement, 1)
        target.write_text(mutated, encoding="utf-8")
        log_base = logs / m.name
        try:
            t0 = time.monotonic()
            if not build_tests(build, args.jobs, env, log_base.with_suffix(".build.log"), everything):
                verdict, how = "killed", "by the build"
            else:
                outcome = run_tests(build, m.tests, args.timeout, env, log_base.with_suffix(".tests.log"))
                if outcome == "none":
                    m.stale = f"the filter {m.tests} selects no test"
                    verdict, how = "stale", m.stale
                elif outcome == "pass":
                    verdict, how = "survived", ""
                else:
                    verdict, how = "killed", "(hung)" if outcome == "timeout" else ""
        finally:
            target.write_text(original, encoding="utf-8")
        if m.equivalent and verdict != "stale":
            how = f"{verdict}, listed as equivalent: {m.equivalent}"
            verdict = "equivalent"
        results[verdict].append(m)
        print(f"{prefix} {verdict.upper():11} {how} ({time.monotonic() - t0:.0f} s)".rstrip(), flush=True)

    # Leave the copy's build matching the unmutated sources for the next run.
    build_tests(build, args.jobs, env, logs / "final-build.log", everything)

    killed, survived = len(results["killed"]), len(results["survived"])
    print()
    for kind in ("survived", "stale"):
        if results[kind]:
            print(f"{kind}:")
            for m in results[kind]:
                print(f"  {m.name}  ({m.path or m.file})  {m.stale if kind == 'stale' else ''}".rstrip())
    if results["equivalent"]:
        print("equivalent (not counted):")
        for m in results["equivalent"]:
            print(f"  {m.name}: {m.equivalent}")
    score = 100.0 * killed / (killed + survived) if killed + survived else 100.0
    print(f"score: {killed}/{killed + survived} killed ({score:.1f}%), {len(results['equivalent'])} equivalent, "
          f"{len(results['stale'])} stale, {time.monotonic() - started:.0f} s")
    return 0 if not results["survived"] and not results["stale"] else 1


if __name__ == "__main__":
    sys.exit(main())
