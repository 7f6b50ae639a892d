#!/usr/bin/env python3
"""One measured run of a Windows program under Wine; prints its figures as one JSON line.

Started by tools/bench.sh with the Wine environment and the private X display already set up:

    measure.py --label bare|show [options] -- <wine64> <program> [arguments...]

The screen is read through Xlib (XGetImage of a small crop), the processes' CPU time and peak
memory from /proc. The program is started here, so "start" is the moment it is launched.
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import shlex
import signal
import struct
import subprocess
import sys
import threading
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


class MeasurementError(Exception):
    """The run could not be measured (as opposed to a program that did badly)."""


# --- The screen ---------------------------------------------------------------------------------

class _XImage(ctypes.Structure):
    # Only the leading fields are read; the struct is never allocated here, Xlib owns it.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
    ]


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
        ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
        ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("class_", ctypes.c_int),
        ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
        ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
        ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
        ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
        ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
        ("screen", ctypes.c_void_p),
    ]


# Windows come and go while the tree is read; Xlib's default handler would end this process.
_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


@_X_ERROR_HANDLER
def _ignore_x_error(_display, _event):
    return 0


class Screen:
    """Mean brightness (0-255) of small areas of the root window, read with XGetImage."""

    _ALL_PLANES = ctypes.c_ulong(-1).value
    _Z_PIXMAP = 2

    def __init__(self):
        name = ctypes.util.find_library("X11") or "libX11.so.6"
        self._x = ctypes.CDLL(name)
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XDefaultRootWindow.restype = ctypes.c_ulong
        self._x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self._x.XDefaultScreen.argtypes = [ctypes.c_void_p]
        self._x.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self._x.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self._x.XGetImage.restype = ctypes.POINTER(_XImage)
        self._x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self._x.XFree.argtypes = [ctypes.c_void_p]
        self._x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                       ctypes.POINTER(ctypes.c_ulong),
                                       ctypes.POINTER(ctypes.c_ulong),
                                       ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                       ctypes.POINTER(ctypes.c_uint)]
        self._x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                       ctypes.POINTER(ctypes.c_char_p)]
        self._x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                 ctypes.POINTER(_XWindowAttributes)]
        self._x.XSetErrorHandler.argtypes = [_X_ERROR_HANDLER]
        self._x.XSetErrorHandler(_ignore_x_error)
        self._display = self._x.XOpenDisplay(None)
        if not self._display:
            raise MeasurementError(f"cannot open X display {os.environ.get('DISPLAY')!r}")
        self._root = self._x.XDefaultRootWindow(self._display)
        number = self._x.XDefaultScreen(self._display)
        self.width = self._x.XDisplayWidth(self._display, number)
        self.height = self._x.XDisplayHeight(self._display, number)

    def brightness(self, left, top, size):
        image = self._x.XGetImage(self._display, self._root, left, top, size, size,
                                  self._ALL_PLANES, self._Z_PIXMAP)
        if not image:
            raise MeasurementError("XGetImage failed")
        try:
            im = image.contents
            if im.bits_per_pixel != 32 or im.depth < 24:
                raise MeasurementError(f"needs a 24-bit screen, not {im.depth}-bit")
            rows = ctypes.string_at(im.data, im.bytes_per_line * im.height)
            total = 0
            for row in range(im.height):
                line = rows[row * im.bytes_per_line: row * im.bytes_per_line + 4 * im.width]
                # Each pixel is four bytes; three of them are the colour channels, one is unused.
                total += sum(line) - sum(line[3::4] if im.byte_order == 0 else line[0::4])
            return total / (3 * im.width * im.height)
        finally:
            # XDestroyImage is a macro; the image and its data were both allocated by Xlib.
            self._x.XFree(image.contents.data)
            self._x.XFree(image)

    def _children(self, window):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children = ctypes.POINTER(ctypes.c_ulong)()
        count = ctypes.c_uint()
        if not self._x.XQueryTree(self._display, window, ctypes.byref(root), ctypes.byref(parent),
                                  ctypes.byref(children), ctypes.byref(count)):
            return []
        found = [children[i] for i in range(count.value)]
        if children:
            self._x.XFree(children)
        return found

    def _name(self, window):
        name = ctypes.c_char_p()
        if not self._x.XFetchName(self._display, window, ctypes.byref(name)) or not name.value:
            return None
        text = name.value.decode(errors="replace")
        self._x.XFree(name)
        return text

    def window_shown(self, title):
        """Whether a viewable window named `title` is on the screen: a top-level window, or one
        level below it where a window manager or Wine puts the real one."""
        attributes = _XWindowAttributes()
        for top in self._children(self._root):
            for window in [top] + self._children(top):
                if self._name(window) != title:
                    continue
                if (self._x.XGetWindowAttributes(self._display, window, ctypes.byref(attributes))
                        and attributes.map_state == 2):  # IsViewable
                    return True
        return False

    def centre(self, size):
        return self.brightness((self.width - size) // 2, (self.height - size) // 2, size)

    def corner(self, size):
        return self.brightness(4, 4, size)


# --- Processes ----------------------------------------------------------------------------------

def cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return [a.decode(errors="replace") for a in f.read().split(b"\0") if a]
    except OSError:
        return []


def pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def cpu_seconds(pid):
    """User + system time of the whole process (all threads), or None when it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return parse_cpu_seconds(f.read())
    except (OSError, IndexError, ValueError):
        return None


def parse_cpu_seconds(stat):
    # The command name may hold spaces and parentheses, so fields are counted from its last ")":
    # then state is field 3, utime field 14 and stime field 15 (proc(5)).
    fields = stat.rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def peak_memory_kib(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def busy_cores_counter():
    """Jiffies of the whole machine spent busy, and in total, from /proc/stat."""
    with open("/proc/stat") as f:
        values = [int(v) for v in f.readline().split()[1:]]
    idle = values[3] + values[4]
    return sum(values) - idle, sum(values)


def process_status(pid, field):
    """A number from /proc/<pid>/status (VmRSS in KiB, Threads...), or None when it is gone."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except (OSError, ValueError, IndexError):
        pass
    return None


# The sound server's own tools, which connect to it as clients while they ask or record.
OWN_CLIENTS = ("pactl", "parec")


def count_sound_server(listing):
    """Lines of `pactl list short ...` output, leaving out the tools used here."""
    return sum(1 for line in listing.splitlines()
               if line.strip() and line.split()[-1] not in OWN_CLIENTS)


def ask_sound_server(what):
    done = subprocess.run(["pactl", "list", "short", what], capture_output=True, text=True,
                          timeout=10, check=False)
    if done.returncode != 0:
        raise MeasurementError(f"pactl list short {what} failed: {done.stderr.strip()}")
    return count_sound_server(done.stdout)


class SoundServerWatch:
    """The most streams (sink inputs) and clients that the sound server had at once, asked every
    `interval` seconds from start() to stop(). The machine's server belongs to this run alone."""

    def __init__(self, interval):
        self._interval = interval
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._watch, daemon=True)
        self.streams = self.clients = self.polls = 0
        self.error = None

    def _watch(self):
        while not self._stop.is_set():
            try:
                self.streams = max(self.streams, ask_sound_server("sink-inputs"))
                self.clients = max(self.clients, ask_sound_server("clients"))
                self.polls += 1
            except (MeasurementError, OSError, subprocess.TimeoutExpired) as error:
                self.error = str(error)
                return
            self._stop.wait(self._interval)

    def start(self):
        self._thread.start()

    def stop(self):
        self._stop.set()
        self._thread.join(timeout=15)
        return {"streams_max": self.streams, "clients_max": self.clients, "polls": self.polls}


def rms_of_samples(raw):
    """RMS of 16-bit little-endian mono samples, 0 (silence) to 1 (full scale)."""
    count = len(raw) // 2
    if not count:
        return None
    values = struct.unpack(f"<{count}h", raw[:count * 2])
    return round((sum(v * v for v in values) / count) ** 0.5 / 32768, 6)


def record_rms(seconds, source="nullsink.monitor"):
    recorder = subprocess.Popen(["parec", "-d", source, "--format=s16le", "--rate=44100",
                                 "--channels=1", "--raw"], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL)
    chunks = []
    reader = threading.Thread(target=lambda: chunks.append(recorder.stdout.read()), daemon=True)
    reader.start()
    time.sleep(seconds)
    recorder.terminate()
    reader.join(timeout=10)
    recorder.wait(timeout=10)
    return rms_of_samples(b"".join(chunks))


def find_wineserver(prefix):
    """The wineserver of this prefix: it works in /tmp/.../server-<dev>-<inode> of the prefix."""
    st = os.stat(prefix)
    wanted = f"server-{st.st_dev:x}-{st.st_ino:x}"
    for pid in pids():
        try:
            with open(f"/proc/{pid}/comm") as f:
                if not f.read().strip().startswith("wineserver"):
                    continue
            if os.path.basename(os.readlink(f"/proc/{pid}/cwd")) == wanted:
                return pid
        except OSError:
            continue
    return None


def find_x_server(display):
    for pid in pids():
        args = cmdline(pid)
        if args and os.path.basename(args[0]) == "Xvfb" and display in args[1:]:
            return pid
    return None


def comm(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return None


def find_program(launched, program):
    """The Wine process running `program`: the one that the kernel names after the program's file
    (15 characters at most) and whose command line names the program, in its Unix or its Windows
    (Z:) form; the path is unique to this run. Wine starts a .scr through start.exe, which only
    waits for it: the launched process is not always the program."""
    name = os.path.basename(program)[:15]
    forms = [program.lower(), ("Z:" + program.replace("/", "\\")).lower()]

    def names_program(pid):
        text = " ".join(cmdline(pid)).lower()
        return any(form in text for form in forms)

    matches = [p for p in [launched] + pids() if comm(p) == name and names_program(p)]
    return min(matches) if matches else None


class Counters:
    """CPU seconds of the program, wineserver and the X server, and the machine's busy time."""

    def __init__(self, program, wineserver, x_server):
        self._pids = {"program": program, "wineserver": wineserver, "x_server": x_server}

    def sample(self):
        busy, total = busy_cores_counter()
        values = {name: (cpu_seconds(pid) if pid else None) for name, pid in self._pids.items()}
        values.update(time=time.monotonic(), busy=busy, total=total)
        return values

    @staticmethod
    def delta(a, b):
        """Each process's CPU seconds between two samples, and the rest of the machine's load in
        cores (busy time not spent by the three processes measured)."""
        out = {}
        for name in ("program", "wineserver", "x_server"):
            out[name] = None if a[name] is None or b[name] is None else round(b[name] - a[name], 3)
        seconds = b["time"] - a["time"]
        cores = os.cpu_count() or 1
        busy = (b["busy"] - a["busy"]) / max(1, b["total"] - a["total"]) * cores * seconds
        ours = sum(v for v in out.values() if v is not None)
        out["others_cores"] = round(max(0.0, busy - ours) / seconds, 3)
        out["seconds"] = round(seconds, 3)
        return out


# --- One run ------------------------------------------------------------------------------------

def sleep_until(moment):
    while (left := moment - time.monotonic()) > 0:
        time.sleep(left)


def press_keys(count):
    for _ in range(count):
        subprocess.run(["xdotool", "key", "--clearmodifiers", "space"], check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.2)


def run(options, command):
    screen = Screen()
    result = {"label": options.label, "notes": [],
              "screen": f"{screen.width}x{screen.height}", "poll_ms": options.poll_ms}
    notes = result["notes"]
    if screen.centre(options.crop) > options.black:
        raise MeasurementError("the centre of the screen is not black before the start")
    # The window of the run before may still be on its way out.
    gone_by = time.monotonic() + 5
    while options.window_title and screen.window_shown(options.window_title):
        if time.monotonic() > gone_by:
            raise MeasurementError(f"a window {options.window_title!r} is there before the start")
        time.sleep(0.05)

    wineserver = find_wineserver(options.prefix)
    if not wineserver:
        raise MeasurementError(f"no running wineserver for {options.prefix}")
    x_server = find_x_server(os.environ.get("DISPLAY", ""))

    poll = options.poll_ms / 1000
    log = open(options.log, "ab") if options.log else subprocess.DEVNULL
    watch = SoundServerWatch(options.sound_server_interval) if options.sound_server else None
    if watch:
        watch.start()
    start = time.monotonic()
    launched = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    program = None
    if options.pid_file:
        with open(options.pid_file, "a") as f:
            f.write(f"{launched.pid}\n")

    def exited():
        return launched.poll() is not None and (program is None or cpu_seconds(program) is None)

    peak = [None]

    def note_peak():
        value = peak_memory_kib(program) if program else None
        if value is not None:
            peak[0] = value

    try:
        while program is None:
            program = find_program(launched.pid, command[1])
            if program is None:
                if launched.poll() is not None or time.monotonic() - start > 20:
                    raise MeasurementError("the program's Wine process did not appear")
                time.sleep(0.01)
        if program != launched.pid and options.pid_file:
            with open(options.pid_file, "a") as f:
                f.write(f"{program}\n")
        counters = Counters(program, wineserver, x_server)
        at_start = counters.sample()

        # Start-up: the first frame is the first read of the centre that is not black; the window
        # counts from the first read that finds it mapped.
        frame = None
        window = None
        while time.monotonic() - start < options.frame_timeout:
            read_at = time.monotonic()
            if window is None and options.window_title and screen.window_shown(options.window_title):
                window = read_at
                result["window_s"] = round(window - start, 3)
            if screen.centre(options.crop) > options.bright:
                frame = read_at
                break
            if exited():
                break
            note_peak()
            sleep_until(read_at + poll)
        if frame is None:
            notes.append("program ended before any video frame" if exited()
                         else f"no video frame within {options.frame_timeout:g} s")
        else:
            at_frame = counters.sample()
            result["startup_s"] = round(frame - start, 3)
            result["startup_cpu"] = Counters.delta(at_start, at_frame)

        if frame is not None and options.video_seconds > 0:
            # Playback: a window inside the clip, skipping the first second of decoding.
            begin = frame + options.video_skip
            end = begin + options.video_seconds
            sleep_until(begin)
            a = counters.sample()
            note_peak()
            sleep_until(end)
            b = counters.sample()
            note_peak()
            if exited():
                notes.append("program ended during the video window")
            else:
                result["video"] = Counters.delta(a, b)

        if frame is not None and options.record_seconds > 0 and not exited():
            result["rms"] = record_rms(options.record_seconds)

        if frame is not None and options.logo and not exited():
            measure_logo(options, screen, counters, frame, result, note_peak, exited)
            if window is not None and result.get("logo_after_frame_s") is not None:
                result["logo_after_window_s"] = round(result["logo_after_frame_s"] + frame - window,
                                                      2)

        if frame is not None and options.display_off_command and not exited():
            measure_display_off(options, counters, result, note_peak, exited)

        if frame is not None and options.cycles > 0 and not exited():
            measure_cycles(options, screen, program, frame, result, exited)

        note_peak()
        result["peak_kib"] = peak[0]
        if options.end_keys and not exited():
            press_keys(options.end_keys)
        deadline = time.monotonic() + options.exit_timeout
        while not exited() and time.monotonic() < deadline:
            note_peak()
            time.sleep(0.1)
        result["peak_kib"] = peak[0]
        if exited():
            result["exit_code"] = launched.wait()
            result["ran_s"] = round(time.monotonic() - start, 1)
        else:
            notes.append(f"did not end within {options.exit_timeout:g} s; killed")
    finally:
        if watch:
            result["sound_server"] = watch.stop()
            if watch.error:
                notes.append(f"sound server: {watch.error}")
        for pid in {launched.pid, program} - {None}:
            if cpu_seconds(pid) is not None:
                try:
                    os.kill(pid, signal.SIGKILL)
                except OSError:
                    pass
        try:
            launched.wait(timeout=10)
        except subprocess.TimeoutExpired:
            pass
    return result


def wait_for_logo(options, screen, frame, deadline, exited, note_peak=lambda: None):
    """The moment a logo phase began: the video is hidden, so the top-left corner turns black. It
    must stay black for a few reads in a row, so that a dark frame of the clip is not taken for it.
    None when none came before `deadline` (seconds after the first frame)."""
    # Slower reads than at the start: the phase lasts seconds, and reading costs the X server.
    poll = max(options.poll_ms, 100) / 1000
    dark_since = None
    dark_reads = 0
    while time.monotonic() - frame < deadline and not exited():
        read_at = time.monotonic()
        if screen.corner(options.crop) <= options.black:
            dark_since = dark_since or read_at
            dark_reads += 1
            if dark_reads >= 3:
                return dark_since
        else:
            dark_since, dark_reads = None, 0
        note_peak()
        sleep_until(read_at + poll)
    return None


def wait_for_video(options, screen, since, exited):
    """Seconds from `since` until the video covers the corner again, or None after 15 s."""
    poll = max(options.poll_ms, 100) / 1000
    while time.monotonic() - since < 15 and not exited():
        read_at = time.monotonic()
        if screen.corner(options.crop) > options.bright:
            return read_at - since
        sleep_until(read_at + poll)
    return None


def measure_logo(options, screen, counters, frame, result, note_peak, exited):
    """The first logo phase: its CPU, and how long the logo stays until the video is back."""
    notes = result["notes"]
    dark_since = wait_for_logo(options, screen, frame, options.logo_timeout, exited, note_peak)
    if dark_since is None:
        notes.append(f"no logo phase within {options.logo_timeout:g} s of the first frame")
        return
    result["logo_after_frame_s"] = round(dark_since - frame, 2)
    sleep_until(dark_since + options.logo_skip)
    a = counters.sample()
    sleep_until(dark_since + options.logo_skip + options.logo_seconds)
    b = counters.sample()
    note_peak()
    if exited():
        notes.append("program ended during the logo phase")
        return
    result["logo"] = Counters.delta(a, b)
    # The video must come back; its length on screen confirms the window lay inside the phase.
    seen = wait_for_video(options, screen, dark_since, exited)
    if seen is None:
        notes.append("the video did not come back within 15 s of the logo")
    else:
        result["logo_seen_s"] = round(seen, 2)


def measure_display_off(options, counters, result, note_peak, exited):
    """With the display switched off (the command delivers the system's notification, which Wine
    never sends): the program's CPU over a window after it settled, and the most streams and
    clients the sound server had in it; then the display is switched on again."""
    notes = result["notes"]
    command = shlex.split(options.display_off_command)
    if subprocess.run(command + ["display-off"], stdin=subprocess.DEVNULL, capture_output=True,
                      timeout=60, check=False).returncode != 0:
        notes.append("the display-off notification could not be delivered")
        return
    time.sleep(options.display_off_skip)
    a = counters.sample()
    end = time.monotonic() + options.display_off_seconds
    streams = clients = 0
    while time.monotonic() < end:
        asked_at = time.monotonic()
        streams = max(streams, ask_sound_server("sink-inputs"))
        clients = max(clients, ask_sound_server("clients"))
        sleep_until(min(end, asked_at + 1))
    b = counters.sample()
    note_peak()
    subprocess.run(command + ["display-on"], stdin=subprocess.DEVNULL, capture_output=True,
                   timeout=60, check=False)
    if exited():
        notes.append("program ended with the display off")
        return
    result["display_off"] = Counters.delta(a, b)
    result["display_off_sound_server"] = {"streams_max": streams, "clients_max": clients}


def count_handles(command):
    """The handles of the program's process, from tools/process_handles.cpp, or None."""
    if not command:
        return None
    done = subprocess.run(shlex.split(command), capture_output=True, text=True, timeout=60, check=False)
    counts = [int(line.split()[1]) for line in done.stdout.splitlines() if len(line.split()) == 2]
    return max(counts) if counts else None


def measure_cycles(options, screen, program, frame, result, exited):
    """Memory, threads and handles of the program once in each logo phase, for `cycles` phases
    from the first frame on: what a graph kept or rebuilt leaves behind shows as growth."""
    notes = result["notes"]
    samples = []
    since = frame
    for cycle in range(options.cycles):
        dark_since = wait_for_logo(options, screen, since, options.logo_timeout, exited)
        if dark_since is None:
            notes.append(f"cycle {cycle + 1}: no logo phase within {options.logo_timeout:g} s")
            break
        sleep_until(dark_since + options.logo_skip)
        samples.append({"logo_s": round(dark_since - frame, 2),
                        "rss_kib": process_status(program, "VmRSS"),
                        "threads": process_status(program, "Threads"),
                        "handles": count_handles(options.handles_command)})
        if wait_for_video(options, screen, dark_since, exited) is None:
            notes.append(f"cycle {cycle + 1}: the video did not come back")
            break
        since = time.monotonic()
    result["cycles"] = samples


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--label", required=True)
    parser.add_argument("--prefix", default=os.environ.get("WINEPREFIX"))
    parser.add_argument("--log", help="file for the program's own output")
    parser.add_argument("--pid-file", help="file to append the PIDs started to, for cleanup")
    parser.add_argument("--poll-ms", type=float, default=20)
    parser.add_argument("--crop", type=int, default=32, help="side of the square read, pixels")
    parser.add_argument("--black", type=float, default=8, help="mean brightness counted as black")
    parser.add_argument("--bright", type=float, default=40, help="mean brightness of a frame")
    parser.add_argument("--frame-timeout", type=float, default=30)
    parser.add_argument("--video-skip", type=float, default=1)
    parser.add_argument("--video-seconds", type=float, default=15)
    parser.add_argument("--logo", action="store_true", help="also measure a logo phase")
    parser.add_argument("--logo-timeout", type=float, default=70)
    parser.add_argument("--logo-skip", type=float, default=0.5)
    parser.add_argument("--logo-seconds", type=float, default=4)
    parser.add_argument("--window-title", help="note when a window of this title appears")
    parser.add_argument("--record-seconds", type=float, default=0,
                        help="record the sound sink's monitor this long after the video window")
    parser.add_argument("--sound-server", action="store_true",
                        help="watch the sound server's streams and clients through the whole run")
    parser.add_argument("--sound-server-interval", type=float, default=1)
    parser.add_argument("--cycles", type=int, default=0,
                        help="sample memory, threads and handles in this many logo phases")
    parser.add_argument("--handles-command",
                        help="a command printing '<pid> <handles>' lines for the program")
    parser.add_argument("--display-off-command",
                        help="a command that, given display-off or display-on, tells the program; "
                             "measures a window with the display off after the logo phase")
    parser.add_argument("--display-off-skip", type=float, default=1)
    parser.add_argument("--display-off-seconds", type=float, default=5)
    parser.add_argument("--end-keys", type=int, default=0, help="key presses that end it")
    parser.add_argument("--exit-timeout", type=float, default=30)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if len(command) < 2 or not options.prefix:
        parser.error("needs WINEPREFIX and a command: <wine64> <program> [arguments]")
    try:
        print(json.dumps(run(options, command)), flush=True)
    except MeasurementError as error:
        print(f"measure: {options.label}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
