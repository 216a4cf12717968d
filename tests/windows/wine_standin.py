#!/usr/bin/env python3
"""The native simulator stand-in for the Windows programs under Wine.

  wine_standin.py start FOLDER STANDIN   starts it in the background; FOLDER/SimConnect.cfg points at it
  wine_standin.py stop FOLDER            ends it
  wine_standin.py release ZIP FOLDER STANDIN WINE LIBRARY
      unpacks the release zip into a folder in FOLDER that is named outside
      the ANSI code page, and starts its vestrel-pelvar.exe, with no
      SimConnect.dll beside it, against a stand-in of its own that only the
      SimConnect.cfg beside the exe names. That file first names an empty
      port: the program's wait line must name the file by its real path. The
      SimConnect.dll LIBRARY lies in the folder the program starts from and in
      one on PATH, where it must not be loaded. The stand-in's log must show
      the session, the whole catalogue, both data definitions and both data
      requests. Prints how soon they came.
"""
import os
import queue
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time
import zipfile

CATALOGUE_MAPPED = 104  # every named client event of the bridge's catalogue
REQUESTS = ["data: request 0: definition 0, 7 variables", "data: request 1: definition 1, 9 variables"]
RELEASE_FILES = {"vestrel-pelvar.exe", "README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt", "example/SimConnect.cfg",
                 "aircraft/a32nx.toml", "aircraft/fenix-a320.toml", "aircraft/pmdg-737.toml"}


def write_config(folder, port):
    with open(os.path.join(folder, "SimConnect.cfg"), "w") as cfg:
        cfg.write("[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%d\n" % port)


def port_of(line):
    return int(line.rsplit(":", 1)[1])


def start(folder, standin):
    os.makedirs(folder, exist_ok=True)
    log_path = os.path.join(folder, "standin.log")
    with open(log_path, "w") as log:
        # A session of its own, so ctest does not wait for it; its output goes to the log.
        process = subprocess.Popen([standin, "--port", "0"], stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.STDOUT, start_new_session=True)
    for _ in range(500):
        with open(log_path) as log:
            listening = [line for line in log if line.startswith("listening on ")]
        if listening or process.poll() is not None:
            break
        time.sleep(0.01)
    if not listening:
        process.kill()
        sys.exit("the stand-in did not start listening")
    with open(os.path.join(folder, "standin.pid"), "w") as pid:
        pid.write(str(process.pid))
    write_config(folder, port_of(listening[0]))


def stop(folder):
    with open(os.path.join(folder, "standin.pid")) as pid:
        os.kill(int(pid.read()), signal.SIGTERM)


class Lines:
    """A process's output lines as they come, each with the time it was read."""

    def __init__(self, stream, who):
        self.queue, self.seen, self.who = queue.Queue(), [], who
        threading.Thread(target=lambda: [self.queue.put((time.monotonic(), line.rstrip("\n"))) for line in stream],
                         daemon=True).start()

    def wait_for(self, text, seconds=20):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            try:
                at, line = self.queue.get(timeout=max(0.0, end - time.monotonic()))
            except queue.Empty:
                break
            self.seen.append(line)
            if line.startswith(text):
                return at, line
        sys.exit("%s never logged %r; it logged:\n  %s" % (self.who, text, "\n  ".join(self.seen)))


def check_profiles(wine, unpacked, folder, environment):
    """The checker, run from a console as a user would: it writes there, reads the profiles shipped in
    aircraft\\ beside the exe, and its exit status says whether every file was valid."""
    program = "Z:" + os.path.join(unpacked, "vestrel-pelvar.exe").replace("/", "\\")
    bad = os.path.join(folder, "bad.toml")
    with open(bad, "w") as profile:
        profile.write('name = "x"\n[match]\ntitle = "*"\n[controls]\nheading_outer_incc = "none"\n')
    for arguments, status, expected in (
            ([], 0, ["\\aircraft\\" + name + ": ok"
                     for name in ("a32nx.toml", "fenix-a320.toml", "pmdg-737.toml")]),
            (["Z:" + bad.replace("/", "\\")], 1, [':5:1: unknown function "heading_outer_incc"; '
                                                     'did you mean "heading_outer_inc"?'])):
        answer = subprocess.run([wine, "cmd", "/c", program, "--check-profiles"] + arguments, cwd=folder,
                                env=environment, stdin=subprocess.DEVNULL, capture_output=True, timeout=60,
                                encoding="utf-8", errors="replace")
        assert answer.returncode == status, "--check-profiles %s exited %d:\n%s" % (arguments, answer.returncode,
                                                                                    answer.stdout + answer.stderr)
        for text in expected:
            assert text in answer.stdout, "--check-profiles %s did not say %r:\n%s" % (arguments, text, answer.stdout)


def release(zip_path, folder, standin, wine, library):
    shutil.rmtree(folder, ignore_errors=True)
    # The C locale's ANSI code page (1252) lacks these characters, so the
    # program's ANSI path would not name its folder; with LC_ALL=C itself
    # Wine could not open the folder at all.
    installed, on_path = os.path.join(folder, "飞行模拟"), os.path.join(folder, "on-path")
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(installed)
        top = os.path.splitext(os.path.basename(zip_path))[0]
        files = {name[len(top) + 1:] for name in archive.namelist() if not name.endswith("/")}
    assert all(name.startswith(top + "/") for name in archive.namelist()), "one folder, named as the zip"
    assert files == RELEASE_FILES, "the zip holds %s" % sorted(files)
    unpacked = os.path.join(installed, top)
    os.makedirs(on_path)
    for planted in (folder, on_path):
        shutil.copy(library, planted)
    environment = dict(os.environ, LC_ALL="C.UTF-8", WINEPATH="Z:" + on_path.replace("/", "\\"))

    check_profiles(wine, unpacked, folder, environment)

    server = subprocess.Popen([standin, "--port", "0"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    bridge = None
    try:
        log = Lines(server.stdout, "the stand-in")
        with socket.socket() as empty:
            empty.bind(("127.0.0.1", 0))
            empty_port = empty.getsockname()[1]
        write_config(unpacked, empty_port)  # beside the exe; not where it starts
        bridge = subprocess.Popen([wine, os.path.join(unpacked, "vestrel-pelvar.exe")], cwd=folder, env=environment,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                  encoding="utf-8", errors="replace")
        told = Lines(bridge.stderr, "the bridge").wait_for("No simulator at 127.0.0.1:%d: " % empty_port)[1]
        cfg = "Z:" + os.path.join(unpacked, "SimConnect.cfg").replace("/", "\\")
        assert told.endswith("(address from %s)" % cfg), "the wait line names the wrong file: " + told
        write_config(unpacked, port_of(log.wait_for("listening on ")[1]))
        started = time.monotonic()
        opened, _ = log.wait_for('client: connected "Request Data"')
        requested = max(log.wait_for(request)[0] for request in REQUESTS)
        server.stdin.write("state\n")
        server.stdin.flush()
        state = dict(item.split("=", 1) for item in log.wait_for("state ")[1].split()[1:])
        assert state["clients"] == "1" and int(state["mapped"]) == CATALOGUE_MAPPED, state
        print("release bridge under Wine: session open %.0f ms after its SimConnect.cfg named the stand-in; %s events "
              "mapped, definitions of 7 and 9 variables and both data requests in %.0f ms" % (
                  1000 * (opened - started), state["mapped"], 1000 * (requested - started)))
    finally:
        for process in (bridge, server):
            if process is not None:
                process.kill()
                process.wait()


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    {"start": start, "stop": stop, "release": release}[command](*arguments)
