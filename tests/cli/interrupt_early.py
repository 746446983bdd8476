#!/usr/bin/env python3
"""Ctrl+C pressed while the runner still translates must stop the run that follows.

usage: interrupt_early.py RUNNER LONG_PROGRAM
The program is made long to translate (a filler of small functions ahead of LONG_PROGRAM's
text, whose `main` runs for minutes), and the interrupt is sent during its translation.
"""
import os, signal, subprocess, sys, tempfile, time

runner, long_program = sys.argv[1], sys.argv[2]
with open(long_program, 'rb') as f:
    text = f.read()
filler = b''.join(b'funcdef x { (x, %d) : + } >> filler%d\n' % (i, i) for i in range(150000))
with tempfile.TemporaryDirectory() as folder:
    path = os.path.join(folder, 'long.tvn')
    with open(path, 'wb') as f:
        f.write(filler + text)
    run = subprocess.Popen([runner, 'run', path, 'main', '3000'],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.1)
    run.send_signal(signal.SIGINT)
    try:
        code = run.wait(timeout=60)
    except subprocess.TimeoutExpired:
        run.kill()
        sys.exit('the run went on after Ctrl+C')
    # 130: stopped; -SIGINT: the signal came before the runner took it over.
    if code not in (130, -signal.SIGINT):
        sys.exit(f'exit {code} after Ctrl+C, expected 130')
