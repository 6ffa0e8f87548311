#!/usr/bin/python3
"""Soak run of the viewer built with AddressSanitizer and UndefinedBehaviorSanitizer.

The viewer runs under Xvfb and openbox, prints on the tests' private CUPS queue and takes its
banner from a loopback site that misbehaves in turn (stalls, drips, huge pages, redirect
loops, damaged pictures). Random input reaches it through XTEST for the given time: clicks
weighted towards the controls, double clicks, drags of the title bar and the splitter, keys
(Cyrillic ones too), bursts of two clicks a few milliseconds apart on the print button and
on the preview's tool bar, and closes of its windows at random moments. The program is
started again whenever it ends.

Every action is logged with the run's seed: `--seed` with the same value replays the same
choices. A failure is a sanitizer report, an abnormal end (a signal, a non-zero exit) or a
hang, which is a _NET_WM_PING that gets no answer.

    soak.py BIN_DIR CUPS_HELPER [--seconds N] [--seed S] [--work DIR]
"""

import argparse
import http.server
import os
import random
import shutil
import signal
import socketserver
import subprocess
import sys
import tempfile
import threading
import time
import zlib

from Xlib import X, XK, Xatom, display, error, protocol
from Xlib.ext import record, xtest

MAIN_TITLE = "Trickfolio v1.29"
PREVIEW_TITLE = "Предпросмотр печати"
STATUS_TITLE = "Статус печати"
HANG_SECONDS = 30
PING_EVERY = 2.0

# ---------------------------------------------------------------- the banner site


def gif(width, height, body=b"\x02\x02\x44\x01\x00"):
    """A GIF of one colour; body is the image data after the image descriptor."""
    screen = width.to_bytes(2, "little") + height.to_bytes(2, "little")
    return (b"GIF89a" + screen + b"\x80\x00\x00" + b"\xff\x00\x00\x00\x00\xff" +
            b"\x2c\x00\x00\x00\x00" + screen + b"\x00" + body + b"\x3b")


GOOD_GIF = gif(2, 2)
DAMAGED_PICTURES = [
    GOOD_GIF[:len(GOOD_GIF) // 2],                      # cut short
    gif(65535, 65535),                                  # a screen far larger than its data
    gif(2, 2, b"\x0c\x05\xff\xff\xff\xff\xff\x00"),     # a code size the format forbids
    gif(4, 4, b"\x02\xff" + bytes(range(255)) + b"\x00"),  # codes past the table
    b"GIF89a" + os.urandom(200),
    b"\xff\xd8\xff\xe0" + os.urandom(300),              # JPEG start, then noise
    b"\x89PNG\r\n\x1a\n" + os.urandom(100),
    b"\x89PNG\r\n\x1a\n" + b"\x00\x00\x00\x0dIHDR" + b"\x7f\xff\xff\xff" * 2 + b"\x08\x02\x00\x00\x00" +
    zlib.crc32(b"IHDR").to_bytes(4, "big"),            # a PNG of 2^31 pixels a side
]
SITE_MODES = ["fine", "stall", "drip", "huge", "redirect", "pictures"]


class Site:
    """Serves the banner page; each request of it misbehaves in the next way."""

    def __init__(self):
        self.stop = threading.Event()
        self.served = {m: 0 for m in SITE_MODES}
        self.turn = 0
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def log_message(self, *args):
                pass

            def send(self, status, body, kind="text/html", headers=()):
                self.send_response(status)
                self.send_header("Content-Type", kind)
                self.send_header("Content-Length", str(len(body)))
                for name, value in headers:
                    self.send_header(name, value)
                self.end_headers()
                self.wfile.write(body)

            def do_GET(self):
                try:
                    site.answer(self)
                except (BrokenPipeError, ConnectionResetError):
                    pass

        self.server = socketserver.ThreadingTCPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.url = "http://127.0.0.1:%d" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.stop.set()
        self.server.shutdown()

    def answer(self, h):
        path = h.path
        if path.startswith("/pic/"):
            n = int(path[5:].split(".")[0] or 0)
            body = GOOD_GIF if n < 0 or n >= len(DAMAGED_PICTURES) else DAMAGED_PICTURES[n]
            return h.send(200, body, "image/gif" if n < 5 else "image/png")
        if path.startswith("/loop"):
            n = int(path.split("=")[-1]) if "=" in path else 0
            return h.send(302, b"", headers=[("Location", "/loop?n=%d" % (n + 1))])
        if not path.startswith("/trickfoliobanner"):
            return h.send(404, b"<html><body>no</body></html>")
        mode = SITE_MODES[self.turn % len(SITE_MODES)]
        self.turn += 1
        self.served[mode] += 1
        page = ("<html><body bgcolor=black><a href='/flashgames/'>"
                "<img src='/pic/-1.gif' width=468 height=60></a></body></html>").encode()
        if mode == "fine":
            h.send(200, page)
        elif mode == "stall":
            self.stop.wait(60)
        elif mode == "drip":
            h.send_response(200)
            h.send_header("Content-Type", "text/html")
            h.send_header("Content-Length", "100000")
            h.end_headers()
            for i in range(400):
                if self.stop.wait(0.05):
                    break
                h.wfile.write(b"<b>%d</b>" % i)
                h.wfile.flush()
        elif mode == "huge":
            line = b"<p>" + "Чит-коды ".encode() * 40 + b"</p>\n"
            count = 60000
            h.send_response(200)
            h.send_header("Content-Type", "text/html; charset=utf-8")
            h.send_header("Content-Length", str(len(line) * count))
            h.end_headers()
            for _ in range(count):
                h.wfile.write(line)
        elif mode == "redirect":
            h.send(302, b"", headers=[("Location", "/loop?n=0")])
        else:
            images = "".join("<img src='/pic/%d.gif'>" % n for n in range(len(DAMAGED_PICTURES)))
            h.send(200, ("<html><body>%s</body></html>" % images).encode())


# ---------------------------------------------------------------- the X side


class Screen:
    def __init__(self):
        self.d = display.Display()
        self.root = self.d.screen().root
        atom = self.d.intern_atom
        self.CLIENT_LIST = atom("_NET_CLIENT_LIST")
        self.PID = atom("_NET_WM_PID")
        self.NAME = atom("_NET_WM_NAME")
        self.UTF8 = atom("UTF8_STRING")
        self.PROTOCOLS = atom("WM_PROTOCOLS")
        self.DELETE = atom("WM_DELETE_WINDOW")
        self.PING = atom("_NET_WM_PING")
        self.ACTIVE = atom("_NET_ACTIVE_WINDOW")
        self.answered = []
        self.lock = threading.Lock()
        self.watch_pongs()
        XK.load_keysym_group("cyrillic")
        mapping = self.d.get_keyboard_mapping(8, 248)
        # A keycode without symbols, taken for the symbols the keyboard lacks.
        self.spare = next(8 + i for i, syms in enumerate(mapping) if not any(syms))

    def windows(self, pid, hidden):
        """The program's shown client windows: (window, title, x, y, width, height); the
        minimised ones go to hidden."""
        found = []
        prop = self.root.get_full_property(self.CLIENT_LIST, Xatom.WINDOW)
        for wid in (prop.value if prop else []):
            w = self.d.create_resource_object("window", wid)
            try:
                owner = w.get_full_property(self.PID, Xatom.CARDINAL)
                if not owner or owner.value[0] != pid:
                    continue
                if w.get_attributes().map_state != X.IsViewable:
                    hidden.append(w)
                    continue
                name = w.get_full_property(self.NAME, self.UTF8)
                title = name.value.decode("utf-8", "replace") if name else ""
                g = w.get_geometry()
                at = self.root.translate_coords(w, 0, 0)
                found.append((w, title, at.x, at.y, g.width, g.height))
            except error.XError:
                continue
        return found

    def move(self, x, y):
        xtest.fake_input(self.d, X.MotionNotify, x=max(0, min(1279, x)), y=max(0, min(1023, y)))
        self.d.sync()

    def button(self, down, number=1):
        xtest.fake_input(self.d, X.ButtonPress if down else X.ButtonRelease, number)
        self.d.sync()

    def click(self, x, y, number=1):
        self.move(x, y)
        self.button(True, number)
        time.sleep(0.01)
        self.button(False, number)

    def keycode(self, keysym):
        code = self.d.keysym_to_keycode(keysym)
        if code:
            return code
        self.d.change_keyboard_mapping(self.spare, [(keysym, keysym)])
        self.d.sync()
        time.sleep(0.02)
        return self.spare

    def key(self, name, modifiers=()):
        keysym = XK.string_to_keysym(name)
        if not keysym:
            return
        codes = [self.keycode(XK.string_to_keysym(m)) for m in modifiers] + [self.keycode(keysym)]
        for code in codes:
            xtest.fake_input(self.d, X.KeyPress, code)
        for code in reversed(codes):
            xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.sync()

    def client_message(self, w, data):
        event = protocol.event.ClientMessage(window=w, client_type=self.PROTOCOLS,
                                             data=(32, data + [0] * (5 - len(data))))
        w.send_event(event, event_mask=X.NoEventMask)
        self.d.sync()

    def restore(self, w):
        event = protocol.event.ClientMessage(window=w, client_type=self.ACTIVE,
                                             data=(32, [2, X.CurrentTime, 0, 0, 0]))
        self.root.send_event(event, event_mask=X.SubstructureRedirectMask |
                             X.SubstructureNotifyMask)
        self.d.sync()

    def close(self, w):
        self.client_message(w, [self.DELETE, X.CurrentTime])

    def ping(self, w, stamp):
        self.client_message(w, [self.PING, stamp, w.id])

    def watch_pongs(self):
        """A program answers a ping by sending it to the root window for the window manager
        alone (a redirect mask), so the answers are read from the requests that carry them."""
        control, source = display.Display(), display.Display()
        context = control.record_create_context(0, [record.AllClients], [{
            "core_requests": (25, 25), "core_replies": (0, 0), "ext_requests": (0, 0, 0, 0),
            "ext_replies": (0, 0, 0, 0), "delivered_events": (0, 0), "device_events": (0, 0),
            "errors": (0, 0), "client_started": False, "client_died": False}])
        control.sync()

        def sent(reply):
            # SendEvent: opcode, propagate, length, destination (the root for an answer, the
            # program's window for our own ping), mask, then the event with its type at 8, its
            # first datum at 12 and the second at 16.
            if reply.category != record.FromClient:
                return
            # One record may carry several requests, each of 44 bytes.
            for at in range(0, len(reply.data) - 43, 44):
                data = reply.data[at:at + 44]
                event = data[12:44]
                if (int.from_bytes(data[4:8], "little") == self.root.id and
                        event[0] & 0x7F == X.ClientMessage and
                        int.from_bytes(event[8:12], "little") == self.PROTOCOLS and
                        int.from_bytes(event[12:16], "little") == self.PING):
                    with self.lock:
                        self.answered.append(int.from_bytes(event[16:20], "little"))

        threading.Thread(target=lambda: source.record_enable_context(context, sent),
                         daemon=True).start()

    def pongs(self):
        with self.lock:
            stamps, self.answered = self.answered, []
        return stamps


# ---------------------------------------------------------------- the run


class Soak:
    def __init__(self, args):
        self.args = args
        self.rng = random.Random(args.seed)
        self.work = args.work
        self.log = open(os.path.join(self.work, "actions.log"), "w")
        self.app = None
        self.app_number = 0
        self.actions = 0
        self.failures = []
        self.seen = set()
        self.opened = {"main": 0, "preview": 0, "status": 0, "other": 0}
        self.ping = None
        self.recent = []

    def say(self, text):
        line = "%9.3f #%d %s" % (time.monotonic() - self.started, self.actions, text)
        self.log.write(line + "\n")
        self.log.flush()
        self.recent = (self.recent + [line])[-40:]

    # ---- the program

    def start_app(self):
        self.app_number += 1
        self.app_log = os.path.join(self.work, "app-%d.log" % self.app_number)
        splash = self.rng.random() < 0.2
        args = [os.path.join(self.args.bin_dir, "trickfolio")] + ([] if splash else ["-ns"])
        self.say("start %d%s" % (self.app_number, " with the splash" if splash else ""))
        with open(self.app_log, "w") as out:
            self.app = subprocess.Popen(args, cwd=self.args.bin_dir, stdout=out,
                                        stderr=subprocess.STDOUT, env=self.env)
        self.ping = None
        self.app_started = time.monotonic()

    def sanitizer_reports(self):
        names = [n for n in os.listdir(self.work) if n.startswith("sanitizer.")]
        with open(self.app_log, errors="replace") as f:
            text = f.read()
        markers = ["ERROR: AddressSanitizer", "runtime error:", "Qt has caught an exception",
                   "terminate called"]
        return names, [m for m in markers if m in text]

    def check_app(self):
        """Notes a failure of the running program; starts it again when it has ended."""
        now = time.monotonic()
        if now - getattr(self, "last_check", 0) < 0.5:
            return
        self.last_check = now
        code = self.app.poll()
        names, markers = self.sanitizer_reports()
        if code is None and not names and not markers:
            return
        if code is None:
            self.app.wait()
            code = self.app.returncode
        if code != 0 or names or markers:
            self.fail("the program ended with %s%s%s" % (
                code, " reports " + " ".join(names) if names else "",
                " saying " + ", ".join(markers) if markers else ""))
        else:
            self.say("the program ended normally")
        self.start_app()

    def fail(self, what):
        saved = os.path.join(self.work, "failure-%d" % (len(self.failures) + 1))
        os.makedirs(saved)
        shutil.copy(self.app_log, saved)
        for name in os.listdir(self.work):
            if name.startswith("sanitizer."):
                shutil.move(os.path.join(self.work, name), saved)
        with open(os.path.join(saved, "last-actions.log"), "w") as f:
            f.write("\n".join(self.recent) + "\n")
        self.failures.append(what)
        self.say("FAILURE %s (seed %d; kept in %s)" % (what, self.args.seed, saved))
        print("soak: FAILURE %s; see %s" % (what, saved), flush=True)

    def waiting_for_events(self):
        """The program's main thread sleeps in its event loop's poll: it is not hung."""
        try:
            with open("/proc/%d/wchan" % self.app.pid) as f:
                return "poll" in f.read()
        except OSError:
            return False

    def check_hang(self, windows):
        for stamp in self.x.pongs():
            if self.ping and stamp == self.ping[0]:
                self.ping = None
        now = time.monotonic()
        # Windows that went away answer no ping.
        if self.ping and not set(self.ping[2]) & {w[0].id for w in windows}:
            self.ping = None
        if self.ping and now - self.ping[1] > HANG_SECONDS and self.waiting_for_events():
            # A ping answered by no window while the program waits for events was lost on
            # the way; the next round asks again.
            self.say("ping unanswered while the program waits for events")
            self.ping = None
        if self.ping and now - self.ping[1] > HANG_SECONDS:
            # An abort makes the sanitizer print where the program was.
            self.app.send_signal(signal.SIGABRT)
            try:
                self.app.wait(30)
            except subprocess.TimeoutExpired:
                self.app.kill()
                self.app.wait()
            self.fail("hang: no answer to a ping in %d s" % HANG_SECONDS)
            self.start_app()
            return
        if not self.ping and windows and now - getattr(self, "last_ping", 0) > PING_EVERY:
            stamp = int(now * 1000) & 0xFFFFFFF
            for w in windows:
                self.x.ping(w[0], stamp)
            self.ping = (stamp, now, [w[0].id for w in windows])
            self.last_ping = now

    # ---- the input

    def pick(self, windows, kind):
        chosen = [w for w in windows if w[1] == kind]
        return self.rng.choice(chosen) if chosen else None

    def spot(self, win):
        """A point of the window, weighted towards its controls (offsets as the layouts
        place them; the main window's anchored ones from its right and bottom edges)."""
        _, title, x, y, w, h = win
        r = self.rng
        if title == MAIN_TITLE:
            spots = [
                ("print", w - 292, h - 29), ("list", r.randint(10, 280), r.randint(170, h - 70)),
                ("search", 100, 145), ("next", 150, h - 30), ("back", 115, h - 30),
                ("memo", r.randint(320, w - 20), r.randint(140, h - 70)),
                ("banner", r.randint(300, w - 20), r.randint(15, 75)),
                ("title buttons", w - r.choice([24, 48, 72]), 14),
                ("bottom buttons", w - r.randint(20, 300), h - 29),
            ]
        elif title == PREVIEW_TITLE:
            spots = [("tool bar", r.randint(5, 900), r.randint(5, 22))] * 4 + [
                ("page", r.randint(0, w - 1), r.randint(30, h - 1))]
        elif title == STATUS_TITLE:
            spots = [("cancel", 188, 68)]
        else:
            spots = [("somewhere", r.randint(0, w - 1), r.randint(0, h - 1))]
        if r.random() < 0.25:
            spots = [("anywhere", r.randint(0, w - 1), r.randint(-20, h - 1))]
        name, px, py = r.choice(spots)
        return name, x + px, y + py

    def act(self):
        hidden = []
        windows = self.x.windows(self.app.pid, hidden)
        self.check_hang(windows)
        if not windows and hidden:
            # Minimised by its own button: brought back as a task bar would.
            self.say("restore the minimised windows")
            for w in hidden:
                self.x.restore(w)
            time.sleep(0.2)
            self.app_started = time.monotonic()
            return
        for w in windows:
            # The server hands a new client the ids of an ended one again.
            if (self.app_number, w[0].id) not in self.seen:
                self.seen.add((self.app_number, w[0].id))
                kind = {MAIN_TITLE: "main", PREVIEW_TITLE: "preview",
                        STATUS_TITLE: "status"}.get(w[1], "other")
                self.opened[kind] += 1
        if not windows:
            if time.monotonic() - self.app_started > HANG_SECONDS * 2:
                self.fail("no window of the program for %d s" % (HANG_SECONDS * 2))
                self.app.kill()
                self.app.wait()
                self.start_app()
            time.sleep(0.05)
            return
        self.app_started = time.monotonic()
        r = self.rng
        self.actions += 1
        action = r.choices(
            ["click", "double", "burst", "drag title", "drag splitter", "key", "type", "close",
             "wait", "right"],
            weights=[40, 6, 10, 3, 4, 18, 6, 3, 8, 2])[0]
        win = r.choice(windows)
        _, title, wx, wy, ww, wh = win
        if action in ("click", "double", "right"):
            name, x, y = self.spot(win)
            self.say("%s %s at %d,%d in '%s'" % (action, name, x, y, title))
            self.x.click(x, y, 3 if action == "right" else 1)
            if action == "double":
                time.sleep(r.uniform(0.02, 0.15))
                self.x.click(x, y)
        elif action == "burst":
            main = self.pick(windows, MAIN_TITLE)
            preview = self.pick(windows, PREVIEW_TITLE)
            target = preview if preview and r.random() < 0.6 else main
            if not target:
                return
            if target is main:
                x, y = main[2] + main[4] - 292, main[3] + main[5] - 29
            else:
                x, y = preview[2] + r.randint(5, 700), preview[3] + r.randint(5, 22)
            gap = r.uniform(0.001, 0.008)
            self.say("burst of two %.1f ms apart at %d,%d in '%s'" % (gap * 1000, x, y, target[1]))
            self.x.click(x, y)
            time.sleep(gap)
            if target is preview and r.random() < 0.5:
                # A press elsewhere on the tool bar: "Done" after a zoom, and the like.
                x = preview[2] + r.randint(5, 700)
            self.x.click(x, y)
        elif action in ("drag title", "drag splitter"):
            main = self.pick(windows, MAIN_TITLE)
            if not main:
                return
            x = main[2] + (r.randint(40, 500) if action == "drag title" else 300)
            y = main[3] + (r.randint(3, 20) if action == "drag title" else r.randint(200, 300))
            dx, dy = r.randint(-300, 300), r.randint(-200, 200) if action == "drag title" else 0
            self.say("%s from %d,%d by %d,%d" % (action, x, y, dx, dy))
            self.x.move(x, y)
            self.x.button(True)
            for i in range(1, 9):
                time.sleep(0.02)
                self.x.move(x + dx * i // 8, y + dy * i // 8)
            self.x.button(False)
        elif action == "key":
            keys = ["Return", "Escape", "Tab", "Up", "Down", "Prior", "Next", "Home", "End",
                    "Left", "Right", "BackSpace", "space", "a", "w", "1", "Cyrillic_a",
                    "Cyrillic_e", "Cyrillic_ya", "Cyrillic_SHCHA", "Cyrillic_io"]
            key = r.choice(keys)
            modifiers = r.choice([(), (), (), ("Control_L",), ("Shift_L", "Control_L")])
            self.say("key %s%s in '%s'" % ("+".join(modifiers + ("",)), key, title))
            self.x.key(key, modifiers)
        elif action == "type":
            text = r.choice([["n", "a", "n", "Return"], ["i", "n", "f", "Return"],
                             ["1", "5", "0", "Return"], ["9", "9", "9", "9", "Return"],
                             ["Cyrillic_de", "Cyrillic_u", "Cyrillic_ka"],
                             ["minus", "2", "Tab"], ["d", "u", "k", "e"]])
            self.say("type %s in '%s'" % (" ".join(text), title))
            for key in text:
                self.x.key(key)
                time.sleep(r.uniform(0.005, 0.05))
        elif action == "close":
            if title == MAIN_TITLE and r.random() < 0.5:
                return
            self.say("close '%s'" % title)
            self.x.close(win[0])
        else:
            pause = r.uniform(0.05, 1.0)
            self.say("wait %.2f s" % pause)
            time.sleep(pause)
        time.sleep(r.uniform(0.0, 0.12))

    def run(self):
        self.x = Screen()
        self.started = time.monotonic()
        self.say("seed %d, %d s" % (self.args.seed, self.args.seconds))
        self.start_app()
        end = self.started + self.args.seconds
        while time.monotonic() < end:
            self.check_app()
            try:
                self.act()
            except error.XError as e:
                self.say("X error %s (a window went away)" % type(e).__name__)
        self.app.send_signal(signal.SIGTERM)
        try:
            self.app.wait(20)
        except subprocess.TimeoutExpired:
            self.app.kill()
        names, markers = self.sanitizer_reports()
        if names or markers:
            self.fail("reports at the end: %s" % " ".join(names + markers))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bin_dir")
    parser.add_argument("cups_helper")
    parser.add_argument("--seconds", type=int, default=600)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--work", default=None)
    args = parser.parse_args()
    if args.seed is None:
        args.seed = random.SystemRandom().randrange(1 << 31)
    args.bin_dir = os.path.abspath(args.bin_dir)
    args.work = os.path.abspath(args.work or tempfile.mkdtemp(prefix="soak."))
    os.makedirs(args.work, exist_ok=True)
    print("soak: seed %d, %d s, logs in %s" % (args.seed, args.seconds, args.work), flush=True)

    stack = []
    try:
        env = dict(os.environ)
        cups = subprocess.Popen([args.cups_helper], stdout=subprocess.PIPE,
                                stderr=open(os.path.join(args.work, "cups.log"), "w"))
        stack.append(cups)
        cups_dir = cups.stdout.readline().decode().strip()
        if not cups_dir:
            sys.exit("soak: the CUPS scheduler did not start")
        read_fd, write_fd = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                                 "1280x1024x24", "-nolisten", "tcp", "-noreset"],
                                pass_fds=[write_fd], stderr=subprocess.DEVNULL)
        stack.append(xvfb)
        os.close(write_fd)
        number = os.read(read_fd, 64).decode().strip()
        home = os.path.join(args.work, "home")
        xdg = os.path.join(args.work, "xdg")
        for folder in (home, os.path.join(xdg, "data/applications"), os.path.join(xdg, "runtime")):
            os.makedirs(folder, exist_ok=True)
        os.chmod(os.path.join(xdg, "runtime"), 0o700)
        # Links open in a "browser" that only notes the address.
        opened = os.path.join(args.work, "links.log")
        browser = os.path.join(xdg, "browser.sh")
        with open(browser, "w") as f:
            f.write("#!/bin/sh\necho \"$1\" >> %s\n" % opened)
        os.chmod(browser, 0o755)
        with open(os.path.join(xdg, "data/applications/soak-browser.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=B\nExec=%s %%u\n" % browser)
        with open(os.path.join(xdg, "data/applications/mimeapps.list"), "w") as f:
            f.write("[Default Applications]\ntext/html=soak-browser.desktop\n")
        site = Site()
        env.update({
            "DISPLAY": ":" + number, "QT_QPA_PLATFORM": "xcb", "HOME": home,
            "XDG_RUNTIME_DIR": os.path.join(xdg, "runtime"),
            "XDG_DATA_HOME": os.path.join(xdg, "data"),
            "XDG_CONFIG_HOME": os.path.join(xdg, "config"),
            "XDG_CONFIG_DIRS": os.path.join(xdg, "none"), "XDG_DATA_DIRS": "/usr/share",
            "CUPS_SERVER": os.path.join(cups_dir, "cups.sock"), "TRICKFOLIO_SITE": site.url,
            "ASAN_OPTIONS": "detect_leaks=0:handle_abort=1:log_path=" +
                            os.path.join(args.work, "sanitizer"),
            "UBSAN_OPTIONS": "print_stacktrace=1:halt_on_error=1:log_path=" +
                             os.path.join(args.work, "sanitizer"),
        })
        for name in ("PRINTER", "LPDEST", "XDG_CURRENT_DESKTOP"):
            env.pop(name, None)
        os.environ["DISPLAY"] = env["DISPLAY"]
        wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
        stack.append(wm)
        time.sleep(1)

        soak = Soak(args)
        soak.env = env
        stack.append(soak)
        soak.run()
        jobs = len(os.listdir(os.path.join(cups_dir, "out"))) \
            if os.path.isdir(os.path.join(cups_dir, "out")) else 0
        links = sum(1 for _ in open(opened)) if os.path.exists(opened) else 0
        print("soak: %d actions, %d program starts, windows opened: %s, print jobs on the "
              "queue: %d, links opened: %d, banner pages served: %s" % (
                  soak.actions, soak.app_number, soak.opened, jobs, links, site.served))
        print("soak: %d failures%s" % (len(soak.failures),
                                       "".join("\n  " + f for f in soak.failures)))
        site.close()
        sys.exit(1 if soak.failures else 0)
    finally:
        for thing in reversed(stack):
            if isinstance(thing, subprocess.Popen) and thing.poll() is None:
                thing.terminate()
                try:
                    thing.wait(10)
                except subprocess.TimeoutExpired:
                    thing.kill()
            elif isinstance(thing, Soak) and thing.app and thing.app.poll() is None:
                thing.app.kill()


if __name__ == "__main__":
    main()
