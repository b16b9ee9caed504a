#!/usr/bin/python3
# Network shares through the real program and the real GVfs: servers on the
# loopback address only (OpenSSH's SFTP with a key from an agent, an FTP
# server with a password), a session bus with GVfs and its FUSE mount; the
# shares connected through the Connect dialog (a refused address first, then
# GIO's password question answered in the dialog), seen as network drives in
# System Information, a volume set written onto the SFTP share with
# parvex-cli, and both disconnected through the Disconnect dialog; the same
# share mounted with sshfs (a network file system of the mount table), its
# unmount refused while a program works in it, then done.
#
#   tests/desktop/network_test.py [--build DIR]
#
# Where a piece cannot run here (no sshd, no GVfs, no FUSE device), the test
# says which and why and passes over it. Screenshots: DIR/network-test/.

import argparse
import getpass
import importlib.util
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import Desktop, Failure, difference, share_of, wait_for  # noqa: E402
from user_test import MAIN_SIZE, SI_EXIT, SI_LIST, SI_REFRESH, SI_SIZE, SI_TREE_EMPTY, TOOLS, TOOLS_CORNER, at  # noqa: E402

CONNECT, DISCONNECT, SYSTEM_INFORMATION = 10, 33, 56  # the menu items, below the menu's top

FTP_SERVER = """
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
users = DummyAuthorizer()
users.add_user("ann", "secret", sys.argv[1], perm="elradfmwMT")
FTPHandler.authorizer = users
FTPServer(("127.0.0.1", int(sys.argv[2])), FTPHandler).serve_forever()
"""


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def missing_pieces():
    """What this machine lacks for the test, each with why it matters."""
    missing = []
    for path, why in (("/usr/sbin/sshd", "OpenSSH's server (openssh-server) for the SFTP share"),
                      ("/usr/libexec/gvfsd", "GVfs (gvfs)"),
                      ("/usr/libexec/gvfsd-sftp", "GVfs's SFTP backend (gvfs-backends)"),
                      ("/usr/libexec/gvfsd-ftp", "GVfs's FTP backend (gvfs-backends)"),
                      ("/usr/libexec/gvfsd-fuse", "GVfs's FUSE mount (gvfs-fuse)"),
                      ("/dev/fuse", "the FUSE device, which containers without it cannot mount"),
                      ("/usr/bin/dbus-run-session", "a session bus (dbus)")):
        if not os.path.exists(path):
            missing.append("%s: %s" % (path, why))
    if shutil.which("fusermount3") is None and shutil.which("fusermount") is None:
        missing.append("fusermount: mounting FUSE as a user (fuse3)")
    if importlib.util.find_spec("pyftpdlib") is None:
        missing.append("pyftpdlib: the FTP server (python3-pyftpdlib)")
    return missing


class NetworkScenario:
    def __init__(self, build, shots):
        self.build = os.path.abspath(build)
        self.desktop = Desktop(shots)
        self.work = tempfile.mkdtemp(prefix="parvex-network-")
        os.chmod(self.work, 0o755)
        self.servers = []
        self.step = "start"

    def check(self, condition, what):
        if not condition:
            raise Failure("%s: %s" % (self.step, what))

    # --- the servers, on 127.0.0.1 only

    def start_sftp(self):
        keys = os.path.join(self.work, "keys")
        os.makedirs(keys)
        for name in ("host", "user"):
            subprocess.run(["ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", os.path.join(keys, name)], check=True)
        shutil.copy(os.path.join(keys, "user.pub"), os.path.join(keys, "authorized_keys"))
        self.sftp_port = free_port()
        config = os.path.join(keys, "sshd_config")
        with open(config, "w") as f:
            f.write("ListenAddress 127.0.0.1\nPort %d\nHostKey %s\nAuthorizedKeysFile %s\nPidFile %s\n"
                    "PasswordAuthentication no\nKbdInteractiveAuthentication no\nUsePAM no\n"
                    "PermitRootLogin prohibit-password\nStrictModes no\nSubsystem sftp internal-sftp\n"
                    % (self.sftp_port, os.path.join(keys, "host"), os.path.join(keys, "authorized_keys"),
                       os.path.join(keys, "sshd.pid")))
        if os.geteuid() == 0:
            os.makedirs("/run/sshd", mode=0o755, exist_ok=True)  # where sshd separates its privileges
        log = open(os.path.join(self.desktop.shots_dir, "sshd.log"), "w")
        self.servers.append(subprocess.Popen(["/usr/sbin/sshd", "-D", "-e", "-f", config], stdout=log,
                                             stderr=subprocess.STDOUT))
        wait_for("sshd on 127.0.0.1:%d" % self.sftp_port, lambda: self.listening(self.sftp_port), 10)
        # The key reaches GVfs's ssh through an agent of the session.
        self.agent_socket = os.path.join(self.work, "agent.sock")
        self.servers.append(subprocess.Popen(["ssh-agent", "-D", "-a", self.agent_socket],
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for("the ssh agent", lambda: os.path.exists(self.agent_socket), 5)
        subprocess.run(["ssh-add", "-q", os.path.join(keys, "user")], check=True,
                       env=dict(os.environ, SSH_AUTH_SOCK=self.agent_socket))
        self.sftp_share = os.path.join(self.work, "sftp-share")
        os.makedirs(self.sftp_share)

    def start_ftp(self):
        self.ftp_root = os.path.join(self.work, "ftp-root")
        os.makedirs(self.ftp_root)
        with open(os.path.join(self.ftp_root, "welcome.txt"), "w") as f:
            f.write("shared over FTP\n")
        self.ftp_port = free_port()
        log = open(os.path.join(self.desktop.shots_dir, "ftpd.log"), "w")
        self.servers.append(subprocess.Popen(["/usr/bin/python3", "-c", FTP_SERVER, self.ftp_root,
                                              str(self.ftp_port)], stdout=log, stderr=subprocess.STDOUT))
        wait_for("the FTP server on 127.0.0.1:%d" % self.ftp_port, lambda: self.listening(self.ftp_port), 10)

    @staticmethod
    def listening(port):
        with socket.socket() as probe:
            return probe.connect_ex(("127.0.0.1", port)) == 0

    # --- the program

    def menu(self, main, item):
        d = self.desktop
        corner = at(main, TOOLS_CORNER)
        before = d.screenshot("before-menu")
        d.click(*at(main, TOOLS))
        inside = (corner[0] + 3, corner[1] + 3, corner[0] + 40, corner[1] + 40)
        wait_for("the Tools menu", lambda: difference(before, d.screenshot("menu"), inside) > 0.8, 5)
        d.click(corner[0] + 60, corner[1] + item)

    def system_information(self, main):
        """Opens System Information with every node of its tree open."""
        d = self.desktop
        self.menu(main, SYSTEM_INFORMATION)
        si = d.window("^Parvex - System Information$", SI_SIZE)
        d.click(*at(si, SI_TREE_EMPTY))
        d.key("ctrl+Next")
        time.sleep(0.5)
        return si, d.screenshot("system-information-tree")

    def gvfs_dir(self, prefix):
        place = os.path.join(self.desktop.runtime, "gvfs")
        try:
            return next((os.path.join(place, n) for n in os.listdir(place) if n.startswith(prefix)), None)
        except OSError:
            return None

    def connect(self, main, address, password=None, refused=None):
        d = self.desktop
        self.menu(main, CONNECT)
        dialog = d.window("^Connect Network Drive$")
        d.screenshot("connect-empty")
        if refused:
            # An address where nothing answers: the failure stays in the dialog.
            d.type(refused)
            d.key("Return")

            def failure_shown():
                # Taller than empty, and no busy bar (the platform's blue, below
                # the address and its examples) any more.
                now = d.geometry(dialog[0])
                if now[3] <= dialog[4]:
                    return False
                shot = d.screenshot("connect-working")
                box = (now[0], now[1] + 105, now[0] + now[2], now[1] + now[3])
                return share_of(shot, box, (52, 153, 216), 25) < 0.01
            wait_for("the failure", failure_shown, 20)
            d.screenshot("connect-failure")
            d.key("ctrl+a")
        d.type(address)
        d.key("Return")
        if password is not None:
            asked = d.geometry(dialog[0])[3]
            wait_for("GIO's password question", lambda: d.geometry(dialog[0])[3] > asked + 40, 20)
            time.sleep(0.3)
            d.screenshot("connect-asking-password")
            d.type(password)
            d.key("Return")
        d.gone("^Connect Network Drive$", 30)

    def network_drives(self):
        """The network drives the collector finds: (letter, mount point), in letter order; and all letters."""
        text = self.desktop.run([os.path.join(self.build, "bin", "parvex-cli"), "sysinfo"]).stdout
        drives, letter, letters = [], None, ""
        for line in text.splitlines():
            key, _, value = line.partition(" = ")
            if key == "diSign":
                letter = value
            elif key == "diMediaType" and value == "4":
                drives.append([letter, None])
            elif key == "diMountPoint" and drives and drives[-1][0] == letter and drives[-1][1] is None:
                drives[-1][1] = value
            elif key == "diAvailableDisks":
                letters = value
        return [tuple(d) for d in drives], letters

    def without_gvfs(self):
        """Without a session bus there is no GVfs: the Connect dialog says so."""
        d = self.desktop
        self.step = "without GVfs"
        program = d.launch([os.path.join(self.build, "bin", "parvex")], "parvex-without-bus.log")
        main = d.window("^Parvex$", MAIN_SIZE)
        self.menu(main, CONNECT)
        dialog = d.window("^Connect Network Drive$")
        time.sleep(0.3)
        shot = d.screenshot("connect-without-gvfs")
        # The address is greyed out and the sentence stands below it, with the warning sign.
        box = (dialog[1], dialog[2] + 105, dialog[1] + dialog[3], dialog[2] + dialog[4] - 40)
        self.check(dialog[4] > 160 and share_of(shot, box, (0, 0, 0), 60) > 0.02, "the dialog says GVfs is missing")
        d.key("Escape")
        d.gone("^Connect Network Drive$")
        d.click(*at(main, (297, 128)))
        self.check(program.wait(15) == 0, "the program ended well")

    def run(self):
        d = self.desktop
        d.start()
        # Where an X11 session would start a bus by itself, GVfs could still come up.
        if shutil.which("dbus-launch") is None:
            self.without_gvfs()
        self.step = "servers"
        self.start_sftp()
        self.start_ftp()
        program = d.launch(["dbus-run-session", "--", os.path.join(self.build, "bin", "parvex")], "parvex.log",
                           {"SSH_AUTH_SOCK": self.agent_socket})
        main = d.window("^Parvex$", MAIN_SIZE)
        # The dialogs open over the middle of the screen; the window goes aside.
        d.drag(at(main, (220, 40)), (60 + 220, 40 + 40))
        main = wait_for("the main window aside", lambda: next(
            (w for w in d.visible_windows("^Parvex$") if tuple(w[3:5]) == MAIN_SIZE and tuple(w[1:3]) == (60, 40)),
            None), 5)
        drives_before, _ = self.network_drives()

        self.step = "connect FTP with a password"
        self.connect(main, "ftp://ann@127.0.0.1:%d/" % self.ftp_port, password="secret",
                     refused="sftp://127.0.0.1:%d/" % free_port())
        ftp = wait_for("the FTP share in GVfs's FUSE mount", lambda: self.gvfs_dir("ftp:host=127.0.0.1"), 10)
        self.check(os.path.exists(os.path.join(ftp, "welcome.txt")), "the FTP share's file shows")

        self.step = "connect SFTP"
        user = getpass.getuser()
        self.connect(main, "sftp://%s@127.0.0.1:%d/" % (user, self.sftp_port))
        sftp = wait_for("the SFTP share in GVfs's FUSE mount", lambda: self.gvfs_dir("sftp:host=127.0.0.1"), 10)

        self.step = "system information"
        drives, letters = self.network_drives()
        self.check(len(drives) == len(drives_before) + 2, "two more network drives: %s" % drives)
        share_drive = next((letter for letter, point in drives if point == sftp), None)
        self.check(share_drive is not None, "the SFTP share is a network drive: %s" % drives)
        # The window lists the drives it found when it gathered its data: it
        # gathers again on Refresh, and shows them the next time it opens.
        si, before = self.system_information(main)
        d.click(*at(si, SI_REFRESH))
        time.sleep(1.5)
        d.click(*at(si, SI_EXIT))
        d.gone("^Parvex - System Information$")
        si, after = self.system_information(main)
        tree = (si[1] + 10, si[2] + 80, si[1] + 270, si[2] + 440)
        self.check(difference(before, after, tree) > 0.01, "the tree shows more drives")
        d.key("Home")
        # Computer, CPU, Memory, Disks, then one node per drive in letter order.
        for _ in range(4 + letters.index(share_drive)):
            d.key("Down")
        time.sleep(1.0)
        shot = d.screenshot("system-information-network-drive")
        box = (si[1] + SI_LIST[0], si[2] + SI_LIST[1], si[1] + SI_LIST[2], si[2] + SI_LIST[3])
        self.check(share_of(shot, box, (0, 0, 0), 10) > 0.6 and share_of(shot, box, (255, 255, 255), 60) > 0.002,
                   "the network drive's page shows")
        d.click(*at(si, SI_EXIT))
        d.gone("^Parvex - System Information$")

        self.step = "a set onto the share"
        target = sftp + self.sftp_share  # the server's whole file system shows below the share's root
        cli = os.path.join(self.build, "bin", "parvex-cli")
        data = os.path.join(self.work, "data.bin")
        with open(data, "wb") as f:
            f.write(os.urandom(300 * 1024))
        split = d.run([cli, "split", "-q", "-s", "100K", "-t", "over the network", os.path.join(target, "net.PX"),
                       data])
        self.check(split.returncode == 0, "parvex-cli split: " + split.stdout + split.stderr)
        self.check(sorted(os.listdir(self.sftp_share)) == ["net.002", "net.003", "net.PX"],
                   "the volumes on the server: %s" % os.listdir(self.sftp_share))
        test = d.run([cli, "test", os.path.join(target, "net.PX")])
        self.check(test.returncode == 0, "parvex-cli test: " + test.stdout + test.stderr)

        if shutil.which("sshfs") is not None:
            self.sshfs_busy_then_gone(main)
        else:
            print("network test: sshfs is not installed: the mount table's network file systems go untested")

        self.step = "disconnect"
        for remaining in (1, 0):
            self.menu(main, DISCONNECT)
            d.window("^Disconnect Network Drives$")
            time.sleep(0.3)
            d.screenshot("disconnect-listing")
            d.key("Return")  # the first connection, chosen from the start
            d.gone("^Disconnect Network Drives$", 30)
            wait_for("%d share(s) left" % remaining,
                     lambda: [self.gvfs_dir("ftp:"), self.gvfs_dir("sftp:")].count(None) == 2 - remaining, 15)
        self.menu(main, DISCONNECT)
        d.window("^Disconnect Network Drives$")
        time.sleep(0.3)
        d.screenshot("disconnect-nothing-left")
        d.key("Escape")
        d.gone("^Disconnect Network Drives$")
        self.check(os.path.exists(os.path.join(self.sftp_share, "net.PX")), "the set stays on the server")

        self.step = "exit"
        d.click(*at(main, (297, 128)))
        self.check(program.wait(15) == 0, "the program ended well")

    def sshfs_mounted(self, point):
        with open("/proc/self/mountinfo") as table:
            return any(line.split()[4] == point for line in table if len(line.split()) > 4)

    def sshfs_busy_then_gone(self, main):
        """The share through sshfs: listed after GVfs's shares, not unmounted while busy."""
        d = self.desktop
        self.step = "sshfs"
        point = os.path.join(self.work, "sshfs")
        os.makedirs(point)
        mount = subprocess.run(["sshfs", "-p", str(self.sftp_port), "-o",
                                "IdentityFile=%s,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null"
                                % os.path.join(self.work, "keys", "user"),
                                "%s@127.0.0.1:%s" % (getpass.getuser(), self.sftp_share), point],
                               capture_output=True, text=True, timeout=30)
        self.check(mount.returncode == 0, "sshfs: " + mount.stderr)
        self.check(os.path.exists(os.path.join(point, "net.PX")), "the set through sshfs")
        busy = subprocess.Popen(["sleep", "120"], cwd=point)  # a program working in the share
        try:
            self.menu(main, DISCONNECT)
            dialog = d.window("^Disconnect Network Drives$")
            time.sleep(0.3)
            d.key("End")  # the mount table's connections come after GVfs's
            time.sleep(0.3)
            before = d.screenshot("disconnect-sshfs-chosen")
            d.key("Return")
            # The reason shows in the line above the buttons; the dialog stays.
            status = (dialog[1] + 5, dialog[2] + dialog[4] - 75, dialog[1] + dialog[3] - 5, dialog[2] + dialog[4] - 45)
            wait_for("the busy share's failure",
                     lambda: difference(before, d.screenshot("disconnect-busy"), status) > 0.02 and
                     d.visible_windows("^Disconnect Network Drives$"), 15)
            time.sleep(0.3)
            d.screenshot("disconnect-busy")
            self.check(self.sshfs_mounted(point), "the busy share stays mounted")
        finally:
            busy.kill()
            busy.wait()
        d.key("Return")  # the same one, still chosen, now free
        d.gone("^Disconnect Network Drives$", 15)
        wait_for("the sshfs share unmounted", lambda: not self.sshfs_mounted(point), 10)

    def cleanup(self):
        self.desktop.stop()
        point = os.path.join(self.work, "sshfs")
        if os.path.isdir(point) and self.sshfs_mounted(point):
            subprocess.run([shutil.which("fusermount3") or "fusermount", "-u", "-z", point], capture_output=True)
        for server in self.servers:
            server.terminate()
            try:
                server.wait(5)
            except subprocess.TimeoutExpired:
                server.kill()
        shutil.rmtree(self.work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--build", default=os.path.join(here, "..", "..", "build"))
    args = parser.parse_args()
    missing = missing_pieces()
    if missing:
        print("network test: SKIPPED, this machine lacks:\n  " + "\n  ".join(missing))
        return 0
    shots = os.path.join(os.path.abspath(args.build), "network-test")
    shutil.rmtree(shots, ignore_errors=True)
    scenario = NetworkScenario(args.build, shots)
    started = time.monotonic()
    try:
        scenario.run()
        print("network test: passed in %.0f s" % (time.monotonic() - started))
        return 0
    except Failure as failure:
        print("network test: FAILED: %s (screenshots and logs in %s)" % (failure, shots))
        return 1
    finally:
        scenario.cleanup()


if __name__ == "__main__":
    sys.exit(main())
