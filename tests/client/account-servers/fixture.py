"""Starts and stops the local account servers that the client's protocol tests talk to.

    fixture.py start DIR DATA    starts the primary (127.0.0.1), the backup (127.0.0.2) and the
                                 second service's host (127.0.0.4), each on a free port, and writes
                                 DIR/servers.txt ("role host:port" per line) and DIR/pids.txt
    fixture.py stop DIR          stops them and removes both files

Each server reads its behaviour table from DIR/<role>.behaviour.json, which the tests rewrite.
ctest runs "start" as a fixture set-up and "stop" as its clean-up, which runs whatever the tests'
outcome. A server also ends by itself after MAX_LIFE_S, should a run be cut short before the
clean-up.
"""

import os
import signal
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
SERVER = os.path.join(ROOT, "tools", "account-server", "account_server.py")
ROLES = (("primary", "127.0.0.1"), ("backup", "127.0.0.2"), ("second", "127.0.0.4"))
START_TIMEOUT_S = 15
MAX_LIFE_S = 1800


def is_our_server(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as cmdline:
            return SERVER.encode() in cmdline.read()
    except OSError:
        return False


def stop(directory):
    pids_path = os.path.join(directory, "pids.txt")
    pids = []
    if os.path.exists(pids_path):
        with open(pids_path) as listed:
            pids = [int(line) for line in listed if line.strip()]
    for pid in pids:
        if is_our_server(pid):
            os.kill(pid, signal.SIGTERM)
    deadline = time.monotonic() + 5
    for pid in pids:
        while is_our_server(pid) and time.monotonic() < deadline:
            time.sleep(0.05)
        if is_our_server(pid):
            os.kill(pid, signal.SIGKILL)
    for name in ("servers.txt", "pids.txt"):
        if os.path.exists(os.path.join(directory, name)):
            os.remove(os.path.join(directory, name))


def read_port(out_path, process):
    deadline = time.monotonic() + START_TIMEOUT_S
    while time.monotonic() < deadline:
        with open(out_path) as out:
            line = out.readline()
        if line.endswith("\n") and line.strip().isdigit():
            return int(line)
        if process.poll() is not None:
            break
        time.sleep(0.05)
    raise RuntimeError("the account server for %s did not start" % out_path)


def start_one(directory, data, role, host):
    behaviour = os.path.join(directory, role + ".behaviour.json")
    with open(behaviour, "w") as table:
        table.write("{}")
    out_path = os.path.join(directory, role + ".out")
    with open(out_path, "w") as out, open(os.path.join(directory, role + ".err"), "w") as err:
        process = subprocess.Popen(
            ["timeout", str(MAX_LIFE_S), sys.executable, "-B", SERVER, "--host", host, "--port", "0",
             "--data", data, "--behaviour", behaviour],
            stdin=subprocess.DEVNULL, stdout=out, stderr=err, start_new_session=True)
    return process, out_path


def start(directory, data):
    os.makedirs(directory, exist_ok=True)
    stop(directory)  # leftovers of a run that was cut short
    started, lines = [], []
    try:
        for role, host in ROLES:
            process, out_path = start_one(directory, data, role, host)
            started.append(process)
            lines.append("%s %s:%d" % (role, host, read_port(out_path, process)))
    finally:
        # The servers and the time limits that run them: stopping either stops both.
        pids_listed = [pid for process in started for pid in (child_pid(process.pid), process.pid) if pid]
        with open(os.path.join(directory, "pids.txt"), "w") as pids:
            pids.writelines("%d\n" % pid for pid in pids_listed)
    with open(os.path.join(directory, "servers.txt"), "w") as servers:
        servers.writelines(line + "\n" for line in lines)


def child_pid(pid):
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as children:
            found = children.read().split()
        return int(found[0]) if found else 0
    except OSError:
        return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "start":
        try:
            start(argv[2], argv[3])
        except RuntimeError as error:
            print(error, file=sys.stderr)
            stop(argv[2])
            return 1
        return 0
    if len(argv) == 3 and argv[1] == "stop":
        stop(argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
