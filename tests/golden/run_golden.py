#!/usr/bin/env python3
"""Golden tests: runs the expectations written inside a Tirvane program through `tirvane`.

A program states its own expectations in line comments:

    // run: FUNCTION ARGUMENT      runs `tirvane run FILE FUNCTION ARGUMENT`
    // trace: FUNCTION ARGUMENT    runs `tirvane run --trace FILE FUNCTION ARGUMENT`
    // eval: ARGUMENT              runs `tirvane eval FILE ARGUMENT`
    // translate:                  runs `tirvane translate FILE`
    // translate text: PROGRAM     translates PROGRAM (one line, written to a file of its
                                   own; \\n, \\r, \\t, \\0, \\xHH and \\\\ stand for the bytes
                                   that a line cannot hold)
    // expect: TEXT                one expected line of standard output (in order)
    // stderr: TEXT                one expected line of standard error (checked when given)
    // exit: N                     the expected exit code (default 0)
    // env: NAME=VALUE             an environment variable for the case's runs

Each `run`/`trace`/`eval`/`translate` starts a new case; its `expect` lines follow it. An
expected line keeps its blanks after the one that follows the colon, trailing ones too
(trace lines such as " else " have them). Files are Windows-1251; the runner prints UTF-8.

A definition with its expectation on the same line is a case of its own: the function it
defines is run without an argument and prints that one line, e.g.

    funcdef { (2, 3) : + } >> sum   // expect: 5
    sum << funcdef { (2, 3) : + }   // expect: 5

    run_golden.py RUNNER FILE [TWIN_RUN]

With TWIN_RUN, every function and argument of a `run` or `trace` case is also run through
it: traced and untraced, the run must show the same result, "out" texts and ending.

Every `run` and `eval` case is also run with `--jobs 1` (parallel lists one element after
another) and `--jobs 4` with every list split whatever it costs (TIRVANE_SPLIT_EVERY_LIST):
both must print the same bytes and end with the same exit code.
"""
import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile

ONE_LINE = re.compile(r"^(?P<code>.*?\S)\s*//\s*expect:(?P<value>.*)$")
RIGHT_NAME = re.compile(r">>\s*([A-Za-z_][\w.]*)\s*;?\s*$")
LEFT_NAME = re.compile(r"^\s*([A-Za-z_][\w.]*)\s*<<")


def one_line_case(line):
    """The case of a definition followed by `// expect: TEXT` on the same line, or None."""
    match = ONE_LINE.match(line)
    if not match or match["code"].lstrip().startswith("//"):
        return None
    name = RIGHT_NAME.search(match["code"]) or LEFT_NAME.match(match["code"])
    if not name:
        raise ValueError(f"no function name in: {line}")
    value = match["value"]
    value = value[1:] if value.startswith(" ") else value
    return {"kind": "run", "args": name.group(1), "expect": [value], "stderr": None, "exit": 0}


def parse_cases(path):
    cases = []
    with open(path, encoding="cp1251") as source:
        for raw in source:
            stripped = raw.rstrip("\r\n").lstrip()
            if not stripped.startswith("//"):
                single = one_line_case(stripped)
                if single:
                    cases.append(single)
                continue
            body = stripped[2:].lstrip()
            key, sep, value = body.partition(":")
            if not sep:
                continue
            key = key.strip()
            value = value[1:] if value.startswith(" ") else value
            if key in ("run", "trace", "eval", "translate"):
                cases.append({"kind": key, "args": value.strip(), "expect": [], "stderr": None,
                              "exit": 0})
            elif key == "translate text":
                cases.append({"kind": "translate", "args": "", "program": value.rstrip("\r\n"),
                              "expect": [], "stderr": None, "exit": 0})
            elif key == "expect" and cases:
                cases[-1]["expect"].append(value)
            elif key == "stderr" and cases:
                cases[-1]["stderr"] = (cases[-1]["stderr"] or []) + [value]
            elif key == "exit" and cases:
                cases[-1]["exit"] = int(value)
            elif key == "env" and cases:
                name, _, setting = value.strip().partition("=")
                cases[-1].setdefault("env", {})[name] = setting
    return cases


ESCAPE = re.compile(rb"\\(x[0-9A-Fa-f]{2}|[nrt0\\])")
ESCAPED = {b"n": b"\n", b"r": b"\r", b"t": b"\t", b"0": b"\0", b"\\": b"\\"}


def program_bytes(text):
    """The Windows-1251 bytes of an inline program, its escapes replaced."""
    def byte(match):
        code = match.group(1)
        return bytes([int(code[1:], 16)]) if code[:1] == b"x" else ESCAPED[code]
    return ESCAPE.sub(byte, text.encode("cp1251"))


JOBS = ("1", "4")


def command_for(runner, path, case, jobs=None):
    options = ["--jobs", jobs] if jobs else []
    if case["kind"] == "translate":
        return [runner, "translate", case.get("file", path)]
    if case["kind"] == "eval":
        return [runner, "eval"] + options + [path, case["args"]]
    function, _, argument = case["args"].partition(" ")
    command = ([runner, "run"] + (["--trace"] if case["kind"] == "trace" else []) + options
               + [path, function])
    if argument.strip():
        command.append(argument.strip())
    return command


def twin_commands(twin, path, cases):
    """One twin_run command for each function and argument of the run and trace cases."""
    commands, seen = [], set()
    for case in cases:
        if case["kind"] not in ("run", "trace") or case["args"] in seen:
            continue
        seen.add(case["args"])
        function, _, argument = case["args"].partition(" ")
        commands.append(([twin, path, function] + ([argument.strip()] if argument.strip() else []),
                         case.get("env", {})))
    return commands


def main():
    runner, path = sys.argv[1], sys.argv[2]
    twin = sys.argv[3] if len(sys.argv) > 3 else None
    try:
        cases = parse_cases(path)
    except ValueError as error:
        print(f"{path}: {error}")
        return 1
    if not cases:
        print(f"{path}: no cases")
        return 1
    folder = tempfile.TemporaryDirectory(prefix="golden-")
    for number, case in enumerate(cases):
        if "program" in case:
            case["file"] = os.path.join(folder.name, f"program{number}.tvn")
            with open(case["file"], "wb") as program:
                program.write(program_bytes(case["program"]))

    def execute(case, jobs=None):
        environment = dict(os.environ, **case.get("env", {}))
        if jobs:
            environment["TIRVANE_SPLIT_EVERY_LIST"] = "1"
        return subprocess.run(command_for(runner, path, case, jobs), capture_output=True,
                              timeout=120, env=environment)

    # The parallel lists' results may not depend on the number of threads.
    jobs_cases = [(case, jobs) for case in cases if case["kind"] in ("run", "eval")
                  for jobs in JOBS]

    # The cases are independent runs: they go side by side, and are judged in file order.
    def execute_twin(twin_case):
        command, env = twin_case
        return subprocess.run(command, capture_output=True, timeout=120,
                              env=dict(os.environ, **env))

    twins = twin_commands(twin, path, cases) if twin else []
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
        results = list(pool.map(execute, cases))
        twin_results = list(pool.map(execute_twin, twins))
        jobs_results = list(pool.map(lambda item: execute(*item), jobs_cases))
    jobs_failed = 0
    by_case = {id(case): done for case, done in zip(cases, results)}
    for (case, jobs), done in zip(jobs_cases, jobs_results):
        default = by_case[id(case)]
        if (done.stdout, done.stderr, done.returncode) != (
                default.stdout, default.stderr, default.returncode):
            jobs_failed += 1
            print("FAIL:", " ".join(command_for(runner, path, case, jobs)),
                  "differs from the run with the default number of threads")
            print("  got exit", done.returncode, "and:",
                  *done.stdout.decode("utf-8", errors="replace").splitlines(), sep="\n    ")
    twin_failed = 0
    for (command, _), done in zip(twins, twin_results):
        if done.returncode != 0:
            twin_failed += 1
            print("FAIL:", " ".join(command))
            print(done.stderr.decode("utf-8", errors="replace"))
    failures = 0
    for case, done in zip(cases, results):
        command = command_for(runner, path, case)
        out = done.stdout.decode("utf-8", errors="replace").splitlines()
        err = done.stderr.decode("utf-8", errors="replace")
        wrong_err = case["stderr"] is not None and err.splitlines() != case["stderr"]
        if out != case["expect"] or done.returncode != case["exit"] or wrong_err:
            failures += 1
            print("FAIL:", " ".join(command), case.get("program", ""))
            print("  expected exit", case["exit"], "and:", *case["expect"], sep="\n    ")
            if case["stderr"] is not None:
                print("  expected stderr:", *case["stderr"], sep="\n    ")
            print("  got exit", done.returncode, "and:", *out, sep="\n    ")
            if err:
                print("  stderr:", err)
    print(f"{path}: {len(cases) - failures}/{len(cases)} cases pass"
          + (f"; {twin_failed} runs differ when traced" if twin_failed else "")
          + ("; traced and untraced alike" if twins and not twin_failed else "")
          + (f"; {jobs_failed} runs differ with --jobs" if jobs_failed else ""))
    return 1 if failures or twin_failed or jobs_failed else 0


if __name__ == "__main__":
    sys.exit(main())
