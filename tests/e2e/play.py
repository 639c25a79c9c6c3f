# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the real Zorvali window with xdotool and reads it back through the accessibility
tree, as an assistive technology would. Usage: play.py ZORVALI_BINARY quick|full|hostile|wayland"""
import contextlib, os, re, subprocess, sys, time

import pyatspi
from gi.repository import GLib

BINARY, MODE = sys.argv[1], sys.argv[2]
WORDS = "uno due tre quattro cinque sei sette otto nove dieci".split()
GOODBYE = "Ciao. Ti aspetto per la prossima sfida "
SAVED = 'Ok ho registrato il tuo record, C A M P I O N E"'
CAPTION = " " * 83 + "ZORVALI" + " " * 31 + "Scrivici: merlin@zorvali.it" + " " * 4


heard = []  # each new focus's description in the step being played, as a screen reader is given it
seen = []  # the texts of the boxes of the game being played


def fail(message):
    shown = [" ".join(xdotool("getwindowname", w)) for w in xdotool("search", "--onlyvisible", "--name", ".")]
    sys.exit("FAIL: %s (focus descriptions heard: %r; windows shown: %r)" % (message, heard[-4:], shown))


def on_focus(event):
    if event.detail1:
        try:
            heard.append(event.source.description)
        except Exception:  # the game busy with a window just shown: ask again when it is read
            heard.append(event.source)


def said():
    for h in heard:
        with contextlib.suppress(Exception):
            yield h if isinstance(h, str) else h.description


pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")


def pause(seconds):
    """Sleeps while delivering the accessibility events that arrive."""
    context, deadline = GLib.MainContext.default(), time.monotonic() + seconds
    while time.monotonic() < deadline:
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def wait_for(what, predicate, timeout=20.0, required=True):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        with contextlib.suppress(Exception):  # the tree changes while windows come and go
            if value := predicate():
                return value
        pause(0.1)
    return fail("timed out waiting for " + what) if required else None


def find(test):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "zorvali":
            return pyatspi.findDescendant(app, lambda a: a is not None and test(a))


def focus(title):
    """Raises the newest visible window whose title matches, so that keys reach it. On Wayland the
    compositor alone gives the keyboard to a window, as it does for a child playing."""
    if not os.environ.get("WAYLAND_DISPLAY"):
        xdotool("windowactivate", "--sync",
                wait_for("window " + title, lambda: xdotool("search", "--onlyvisible", "--name", title))[-1])


def showing(a):
    return a.getState().contains(pyatspi.STATE_SHOWING)


def keys_to(window, *args):
    """Runs xdotool ARGS once the window has the keyboard. A window is on screen, and in the
    accessibility tree, before the desktop gives it the keyboard (on Wayland, some time after):
    keys sent sooner go to the window under it."""
    wait_for("%r to have the keyboard" % window.name, lambda: window.getState().contains(pyatspi.STATE_ACTIVE))
    xdotool(*args)


def press_enter_on(box):
    """Presses Enter on a box and waits for it to close: the key reaches the program some time
    after xdotool returns, and until then the box is still on screen, to be found again."""
    keys_to(box, "key", "Return")

    def closed():
        try:
            return not showing(box)
        except Exception:  # already gone from the tree
            return True
    wait_for("%r to close after Enter" % box.name, closed)


def close_boxes():
    """Closes the boxes that come up one after another, noting their texts. The first one (the
    greeting, the goodbye) always comes, but may be slow to on a loaded machine."""
    def is_box(a):
        return a.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and showing(a)
    timeout = 20
    while box := wait_for("a box", lambda: find(is_box), timeout, required=False):
        timeout = 2
        seen.append(box.name)
        focus("^Zorvali$")  # the boxes' title is the bare program name
        press_enter_on(box)


def begin(name, prefix=(), **popen):
    """Starts the game, answers the name prompt and closes the boxes that follow."""
    heard.clear()
    seen.clear()
    proc = subprocess.Popen([*prefix, BINARY], stderr=subprocess.PIPE, text=True, **popen)
    focus("^Zorvali$")
    # The dialog that asks, known by its field (named by the question), not by a name of its own.
    prompt = wait_for("the name prompt", lambda: find(
        lambda a: a.getRole() == pyatspi.ROLE_DIALOG and showing(a)
        and pyatspi.findDescendant(a, lambda c: c is not None and c.name == "Come ti chiami?")))
    keys_to(prompt, "type", "--delay", "30", name)
    press_enter_on(prompt)
    close_boxes()
    focus("Scrivici")
    return proc


def end(proc):
    """Closes the last boxes and waits for a clean exit; returns what the program wrote on stderr."""
    close_boxes()
    err = proc.communicate(timeout=15)[1]  # raises when the program hangs
    return err if proc.returncode == 0 else fail("exit code %d, stderr: %s" % (proc.returncode, err))


def play_one(right):
    question = wait_for("a question said with the focus", lambda: next(h for h in said() if h.startswith("3 per ")))
    product = 3 * (WORDS.index(question.split()[-1]) + 1)
    xdotool("type", "--delay", "30", str(product if right else product + 1))
    heard.clear()
    xdotool("key", "Return")
    verdict = "Esatto. Sei forte!!!" if right else "Sbagliato!! %d" % product
    wait_for(verdict, lambda: find(lambda a: a.getRole() == pyatspi.ROLE_LABEL and a.name == verdict))
    wait_for("the verdict said with the focus", lambda: verdict in said())
    heard.clear()
    xdotool("key", "Return")  # the second Enter asks the next question


def record(folder=os.path.join(os.environ["XDG_DATA_HOME"], "zorvali")):
    """Each record file's bytes, or (is a link, is a folder) for what is not a plain file."""
    paths = [os.path.join(folder, name) for name in ("azorvrec3.txt", "nzorvrec3.txt")]
    return [open(p, "rb").read() if os.path.isfile(p) and not os.path.islink(p)
            else (os.path.islink(p), os.path.isdir(p)) for p in paths]


def check_title():
    """The game window's title as the window manager reads it: the caption alone, nothing appended."""
    window = xdotool("search", "--onlyvisible", "--name", "Scrivici")[-1]
    props = subprocess.run(["xprop", "-id", window, "_NET_WM_NAME", "WM_NAME"], capture_output=True, text=True).stdout
    if re.findall(r'^(\w+)\(\w+\) = "(.*)"$', props, re.M) != [("_NET_WM_NAME", CAPTION), ("WM_NAME", CAPTION)]:
        fail("the window system holds the title %r" % props)


def quick(answers=(True, False, True), prefix=()):
    """A short game and the record it leaves."""
    proc = begin("Zoe", prefix)
    if not os.environ.get("WAYLAND_DISPLAY"):
        check_title()
    for right in answers:
        play_one(right)
    xdotool("key", "alt+x")
    end(proc)
    points = b"%d\r\n" % sum(answers)
    if seen != [" Zoe vediamo se sei un vero campione  ", GOODBYE, SAVED] or record() != [points, b"Zoe\r\n"]:
        fail("boxes %r, record files %r" % (seen, record()))


def full():
    proc = begin("Ugo")
    play_one(True)
    started = time.monotonic()
    # The clock is looked up at each try: the accessibility tree may still be filling in.
    wait_for("the clock to run", lambda: find(lambda a: a.description == "Tempo restante").name.strip()
             .startswith("00:06"), 5)
    wait_for("the end", lambda: find(lambda a: a.name == GOODBYE), timeout=7 * 60 + 30)
    elapsed = time.monotonic() - started
    end(proc)
    if elapsed < 7 * 60 - 10 or seen[-2:] != [GOODBYE, SAVED] or record() != [b"1\r\n", b"Ugo\r\n"]:
        fail("after %.0f s: boxes %r, record files %r" % (elapsed, seen, record()))


GOOD = r"mkdir -p $data; printf '99\r\n' >$data/azorvrec3.txt; printf 'Niccol\xf2\r\n' >$data/nzorvrec3.txt; "
READ_ONLY = ["unshare", "-m", "sh", "-c", 'mount --bind -o ro "$HOME" "$HOME" && exec "$0"']
TRIALS = [  # name, how $HOME and $data are spoiled, command before the program, text shown, record kept
    ("no-sound", GOOD, [], None, True),
    ("read-only-home", GOOD, READ_ONLY, "sola lettura", True),
    ("read-only-and-empty", "", READ_ONLY, "non sono riuscito a registrare", False),
    ("data-folder-under-a-file", "rm -r $XDG_DATA_HOME; echo file >$XDG_DATA_HOME", [], "non è una cartella", False),
    ("points-file-a-folder", GOOD + "rm $data/azorvrec3.txt; mkdir $data/azorvrec3.txt", [], "una cartella", True),
    ("links-to-dev-zero", "mkdir $data; ln -s /dev/zero $data/azorvrec3.txt; ln -s /dev/zero $data/nzorvrec3.txt",
     [], "dispositivo", True),
    ("no-voice-data", GOOD, ["sh", "-c", 'ESPEAK_DATA_PATH=$HOME exec "$0"'], "espeak-ng-data", True),
]


def hostile():
    lone = subprocess.run([BINARY], env={k: v for k, v in os.environ.items() if k != "DISPLAY"},
                          capture_output=True, text=True, timeout=10)
    if lone.returncode != 1 or "DISPLAY" not in lone.stderr:
        fail("without a display: exit %d, stderr %r" % (lone.returncode, lone.stderr))
    for name, spoil, prefix, message, kept in TRIALS:
        home = os.path.join(os.environ["HOME"], name)
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=home + "/share", data=home + "/share/zorvali")
        subprocess.run(["bash", "-c", "mkdir -p $XDG_DATA_HOME; " + spoil], env=env, check=True)
        before = record(env["data"])
        proc = begin("Ada", prefix, stdout=subprocess.DEVNULL, env=env)
        play_one(True)
        xdotool("key", "alt+x")
        seen.append(end(proc))
        if message and message not in "\n".join(seen):
            fail("%s: %r never shown, only %r" % (name, message, seen))
        if kept and record(env["data"]) != before:
            fail("%s: the record holds %r" % (name, record(env["data"])))


def wayland():
    """The quick game on Wayland, where the titles are what the program tells the compositor: the game
    window's is the caption alone, the boxes' the program's name."""
    log = os.path.join(os.environ["HOME"], "wayland-requests.log")
    quick((True, False), ["sh", "-c", 'WAYLAND_DEBUG=client exec "$0" 2>"%s"' % log])
    with open(log, errors="replace") as requests:
        told = requests.read()
    titles = set(re.findall(r'xdg_toplevel[@#]\d+\.set_title\("(.*)"\)', told))
    # The desktop knows the game by its desktop file's name.
    app_ids = set(re.findall(r'xdg_toplevel[@#]\d+\.set_app_id\("(.*)"\)', told))
    if CAPTION not in titles or titles - {CAPTION, "Zorvali"} or app_ids != {"it.zorvali.Zorvali"}:
        fail("titles told to the compositor: %r, application ids: %r" % (titles, app_ids))


{"quick": quick, "full": full, "hostile": hostile, "wayland": wayland}[MODE]()
print("PASS:", MODE, flush=True)
