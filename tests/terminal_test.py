#!/usr/bin/env python3
"""Runs the built program as a person would: under a pseudo-terminal, with
a closed, empty or held-open standard input, with outputs that refuse to be
written, and with hardly any memory to spare.

    terminal_test.py PATH-TO-die_roll PROMPT

PROMPT is the program's prompt as src/dialogue.h defines it.
"""
import os
import pty
import resource
import re
import select
import subprocess
import sys
import time

PROMPT = ""  # set from the command line
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


def check_prompt_before_read(program):
    # The prompt must arrive while the program waits on a pipe that stays
    # open: nothing but the program's own flush sends it.
    child = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    try:
        screen = read_until(child.stdout.fileno(), "", PROMPT)
        assert screen == PROMPT, repr(screen)
        child.stdin.write(b"0\n")
        child.stdin.close()
        assert child.wait(timeout=TIMEOUT) == 0
    finally:
        child.kill()
        child.wait()


NO_WRITE = b"die_roll: standard output could not be written"
NO_READ = b"die_roll: standard input could not be read"


def check_refused_writes(program):
    # A complaint that cannot be written ends the program with status 1.
    with open("/dev/full", "wb") as full:
        done = subprocess.run([program], input=b"abc 0\n", stdout=subprocess.PIPE, stderr=full,
                              timeout=TIMEOUT)
    assert done.returncode == 1, done.returncode
    assert done.stdout.decode() == PROMPT, done.stdout
    # An eventfd refuses any write that is not 8 bytes long, with EINVAL:
    # on Linux a reason like any other.
    events = os.eventfd(0)
    try:
        done = subprocess.run([program], input=b"5 0\n", stdout=events, stderr=subprocess.PIPE,
                              timeout=TIMEOUT)
    finally:
        os.close(events)
    assert done.returncode == 1, done.returncode
    assert done.stderr == NO_WRITE + b": Invalid argument\n", done.stderr


def run_within(program, kib, close_input=False, **streams):
    """Runs the program with its address space limited to `kib` KiB."""
    def limit():
        resource.setrlimit(resource.RLIMIT_AS, (kib * 1024, kib * 1024))
        if close_input:
            os.close(0)
    return subprocess.run([program], preexec_fn=limit, stderr=subprocess.PIPE, timeout=TIMEOUT,
                          **streams)


def least_address_space(program):
    """The fewest KiB (in pages) in which the program starts and ends well;
    None where even a GiB is too few (AddressSanitizer reserves far more)."""
    low, high = 256, 1 << 20
    if run_within(program, high, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL).returncode != 0:
        return None
    while high - low > 4:
        middle = (low + high) // 8 * 4
        ran = run_within(program, middle, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        if ran.returncode == 0:
            high = middle
        else:
            low = middle
    return high


def check_failures_without_heap(program):
    # Just above what the program needs to start, its heap may give out
    # anywhere; every failure must still end with its one line and status 1.
    least = least_address_space(program)
    if least is None:
        print("terminal_test: no address-space limit lets this build start; not checked there")
        return
    root = os.open("/", os.O_RDONLY)
    try:
        for kib in range(least, least + 256, 4):
            with open("/dev/full", "wb") as full:
                cases = (
                    ("a full disk", NO_WRITE + b": No space left on device\n",
                     run_within(program, kib, input=b"5 0\n", stdout=full)),
                    ("a directory as input", NO_READ + b": Is a directory\n",
                     run_within(program, kib, stdin=root, stdout=subprocess.DEVNULL)),
                    ("closed input", NO_READ + b": Bad file descriptor\n",
                     run_within(program, kib, close_input=True, stdout=subprocess.DEVNULL)))
            for name, err, done in cases:
                assert (done.returncode, done.stderr) == (1, err), (name, kib, done.returncode, done.stderr)
    finally:
        os.close(root)


def main():
    global PROMPT
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program = os.path.abspath(sys.argv[1])
    PROMPT = sys.argv[2]
    check_terminal(program)
    check_no_input(program)
    check_prompt_before_read(program)
    check_refused_writes(program)
    check_failures_without_heap(program)
    print("terminal_test: the terminal dialogue, closed, held and failing streams behave")


if __name__ == "__main__":
    main()
