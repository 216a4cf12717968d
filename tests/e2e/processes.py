"""Child processes for the end-to-end tests: line-oriented output collected
on a thread, bounded waits, and an end that leaves nothing running.

Every child gets PR_SET_PDEATHSIG, so even a driver killed outright (a
ctest timeout) takes its children with it."""

import ctypes
import os
import signal
import subprocess
import threading
import time

_PR_SET_PDEATHSIG = 1
_libc = ctypes.CDLL(None, use_errno=True)


def _die_with_parent():
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


class Child:
    """One process with stdin and stdout on pipes; stderr goes to a log."""

    def __init__(self, name, argv, cwd, env, log_dir):
        self.name = name
        self._lines = []
        self._cond = threading.Condition()
        self._seen = 0
        self._stderr = open(os.path.join(log_dir, name + ".stderr"), "wb")
        self.proc = subprocess.Popen(
            argv,
            cwd=cwd,
            env=env,
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=self._stderr,
            preexec_fn=_die_with_parent,
            start_new_session=True,
        )
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for raw in self.proc.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            with self._cond:
                self._lines.append(line)
                self._cond.notify_all()
        with self._cond:
            self._cond.notify_all()

    def send(self, line):
        try:
            self.proc.stdin.write((line + "\n").encode())
            self.proc.stdin.flush()
        except (BrokenPipeError, ValueError):
            pass

    def lines(self):
        with self._cond:
            return list(self._lines)

    def count(self, line):
        return self.lines().count(line)

    def wait_for(self, match, timeout, after=None):
        """Waits for an output line that `match` (a string or a predicate)
        accepts, among lines from index `after` (default: lines not yet
        waited for). Returns the line, or None on timeout."""
        accept = match if callable(match) else (lambda text: text == match)
        deadline = time.monotonic() + timeout
        with self._cond:
            index = self._seen if after is None else after
            while True:
                while index < len(self._lines):
                    line = self._lines[index]
                    index += 1
                    if accept(line):
                        self._seen = max(self._seen, index)
                        return line
                left = deadline - time.monotonic()
                if left <= 0 or (self.proc.poll() is not None and index >= len(self._lines)):
                    return None
                self._cond.wait(min(left, 0.1))

    def mark(self):
        """The index of the next line: later waits can start from here."""
        with self._cond:
            return len(self._lines)

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        """Ends the process (and anything it started): SIGTERM, then SIGKILL."""
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                self.proc.wait(3)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(self.proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                self.proc.wait()
        # Children of the process that outlived it share its group.
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass
        try:
            self.proc.stdin.close()
        except (OSError, ValueError):
            pass
        self._reader.join(2)
        if not self._reader.is_alive():
            self.proc.stdout.close()
        self._stderr.close()
        return self.proc.returncode
