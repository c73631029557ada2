#!/usr/bin/env python3
"""Runs the built program as a person would: under a pseudo-terminal, and
with a closed or empty standard input.

    terminal_test.py PATH-TO-die_roll
"""
import os
import pty
import re
import select
import subprocess
import sys
import time

PROMPT = "How many times do you want to roll the die (enter 0 to quit): "
TIMEOUT = 20.0


def read_until(fd, screen, wanted):
    """Reads from the terminal until the screen ends with `wanted`."""
    deadline = time.monotonic() + TIMEOUT
    while not screen.endswith(wanted):
        left = deadline - time.monotonic()
        if left <= 0:
            raise AssertionError(f"waited for {wanted!r}, screen is {screen!r}")
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            try:
                chunk = os.read(fd, 4096)
            except OSError:  # the program has gone and the terminal closed
                chunk = b""
            if not chunk:
                raise AssertionError(f"terminal closed, screen is {screen!r}")
            screen += chunk.decode().replace("\r\n", "\n")
    return screen


def check_terminal(program):
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(program, [program])
    # The prompt must be on the screen before anything is typed.
    screen = read_until(fd, "", PROMPT)
    assert screen == PROMPT, repr(screen)

    os.write(fd, b"3\n")
    screen = read_until(fd, screen, "\n\n" + PROMPT)
    report = re.escape(PROMPT) + r"3\n\nThe observed counts: ((\d+) ){6}\n\nChi-squared = [0-9.e+]+\n\n" + re.escape(PROMPT)
    assert re.fullmatch(report, screen), repr(screen)
    counts = [int(c) for c in screen.split("counts: ")[1].split("\n")[0].split()]
    assert len(counts) == 6 and sum(counts) == 3, counts

    os.write(fd, b"0\n")
    status = wait_for(pid)
    assert os.WIFEXITED(status) and os.WEXITSTATUS(status) == 0, status
    os.close(fd)


def wait_for(pid):
    """The child's status; kills it if it has not ended within the deadline."""
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            return status
        time.sleep(0.01)
    os.kill(pid, 9)
    os.waitpid(pid, 0)
    raise AssertionError("the program did not end")


def check_no_input(program):
    # Empty input is the end of the dialogue; a closed descriptor is a read error.
    for name, stdin, status, err in (
            ("empty", subprocess.DEVNULL, 0, b""),
            ("closed", None, 1, b"die_roll: standard input could not be read: Bad file descriptor\n")):
        closing = (lambda: os.close(0)) if stdin is None else None
        done = subprocess.run([program], stdin=stdin, preexec_fn=closing, capture_output=True,
                              timeout=TIMEOUT)
        assert done.returncode == status, (name, done.returncode)
        assert done.stdout.decode() == PROMPT, (name, done.stdout)
        assert done.stderr == err, (name, done.stderr)


def main():
    program = os.path.abspath(sys.argv[1])
    check_terminal(program)
    check_no_input(program)
    print("terminal_test: the terminal dialogue and closed input behave")


if __name__ == "__main__":
    main()
