"""Drives the real Zorvali window with xdotool and reads it back through the
accessibility tree, as an assistive technology would.
Usage: play.py ZORVALI_BINARY quick|full|hostile"""
import os
import subprocess
import sys
import time

import pyatspi

BINARY, MODE = sys.argv[1], sys.argv[2]
WORDS = ["uno", "due", "tre", "quattro", "cinque", "sei", "sette", "otto", "nove", "dieci"]
GOODBYE = "Ciao. Ti aspetto per la prossima sfida "
RECORD = ["azorvrec3.txt", "nzorvrec3.txt"]


def fail(message):
    print("FAIL:", message, flush=True)
    sys.exit(1)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def wait_for(what, predicate, timeout=20.0, required=True):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        try:
            value = predicate()
        except Exception:  # the tree changes under us while windows come and go
            value = None
        if value:
            return value
        time.sleep(0.1)
    if required:
        fail("timed out waiting for " + what)


def find(test):
    """The first accessible of the running game that passes `test`."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "zorvali":
            return pyatspi.findDescendant(app, lambda a: a is not None and test(a))


def wait_text(text, timeout=20.0):
    return wait_for(repr(text), lambda: find(lambda a: a.name.startswith(text)), timeout)


def shown(description):
    return wait_for(description, lambda: find(lambda a: a.description == description)).name.strip()


def focus(title):
    """Raises the newest visible window whose title matches, so that keys reach it."""
    ids = wait_for("window " + title, lambda: xdotool("search", "--onlyvisible", "--name", title))
    xdotool("windowactivate", "--sync", ids[-1])


def key(name):
    xdotool("key", "--clearmodifiers", name)


def start(name, greeted=True, prefix=(), **popen):
    proc = subprocess.Popen([*prefix, BINARY], **popen)
    focus("^Zorvali$")
    wait_text("Come ti chiami?")
    xdotool("type", "--delay", "30", name)
    key("Return")
    if greeted:
        wait_text(" %s vediamo se sei un vero campione" % name)
        key("Return")
        focus("Scrivici")
    return proc


def play_one(right):
    box = wait_for("the answer box", lambda: find(lambda a: a.name == "Risposta" and a.getRole() == pyatspi.ROLE_TEXT))
    asked = wait_for("a question", lambda: box.description if box.description.startswith("3 per ") else None)
    product = 3 * (WORDS.index(asked.split()[-1]) + 1)
    xdotool("type", "--delay", "30", str(product if right else product + 1))
    key("Return")
    verdict = "Esatto. Sei forte!!!" if right else "Sbagliato!! %d" % product
    wait_for(verdict, lambda: find(lambda a: a.getRole() == pyatspi.ROLE_LABEL and a.name == verdict))
    key("Return")  # the second Enter asks the next question


def finish(proc, expect_record):
    wait_text(GOODBYE, timeout=30)
    key("Return")
    if expect_record:
        wait_text('Ok ho registrato il tuo record, C A M P I O N E"')
        key("Return")
    ended(proc)


def ended(proc):
    try:
        code = proc.wait(timeout=15)
    except subprocess.TimeoutExpired:
        proc.kill()
        fail("the program did not end")
    if code != 0:
        fail("exit code %d" % code)


def record(folder=None):
    """Each record file's bytes, or (is a link, is a folder) for what is not a plain file."""
    folder = folder or os.path.join(os.environ["XDG_DATA_HOME"], "zorvali")
    paths = [os.path.join(folder, name) for name in RECORD]
    return [(os.path.islink(p), os.path.isdir(p)) if not os.path.isfile(p) or os.path.islink(p)
            else open(p, "rb").read() for p in paths]


def quick():
    proc = start("Zoe")
    for right in (True, False, True):
        play_one(right)
    key("alt+x")
    finish(proc, expect_record=True)
    if record() != [b"2\r\n", b"Zoe\r\n"]:
        fail("record files hold %r" % record())
    proc = start("Ada")
    if (shown("Punti del record"), shown("Nome del campione")) != ("2", "Zoe"):
        fail("record line shows %r %r" % (shown("Nome del campione"), shown("Punti del record")))
    key("alt+x")
    finish(proc, expect_record=False)


def full():
    proc = start("Ugo")
    play_one(True)
    started = time.monotonic()
    wait_for("the clock to run", lambda: shown("Tempo restante").startswith("00:06"), timeout=5)
    wait_text(GOODBYE, timeout=7 * 60 + 30)
    if time.monotonic() - started < 7 * 60 - 10:
        fail("contest ended after %.0f s" % (time.monotonic() - started))
    finish(proc, expect_record=True)
    if record() != [b"1\r\n", b"Ugo\r\n"]:
        fail("record not saved at the end of the clock: %r" % record())


GOOD = r"mkdir -p $data; printf '99\r\n' >$data/azorvrec3.txt; printf 'Niccol\xf2\r\n' >$data/nzorvrec3.txt; "
READ_ONLY = ["unshare", "-m", "sh", "-c", 'mount --bind -o ro "$HOME" "$HOME" && exec "$0"']
TRIALS = [  # name, how $HOME and $data are spoiled, command before the program, text shown, record afterwards
    ("no-sound", GOOD, [], None, "kept"),
    ("read-only-home", GOOD, READ_ONLY, "sola lettura", "kept"),
    ("read-only-and-empty", "", READ_ONLY, "non sono riuscito a registrare", None),
    ("data-folder-under-a-file", "rm -r $XDG_DATA_HOME; echo file >$XDG_DATA_HOME", [], "non è una cartella", None),
    ("points-file-a-folder", GOOD + "rm $data/azorvrec3.txt; mkdir $data/azorvrec3.txt", [], "una cartella", "kept"),
    ("links-to-dev-zero", "mkdir $data; ln -s /dev/zero $data/azorvrec3.txt; ln -s /dev/zero $data/nzorvrec3.txt",
     [], "dispositivo", "kept"),
    ("100-MB-points-file", GOOD + "head -c 100000000 /dev/zero >>$data/azorvrec3.txt", [], None, "kept"),
    ("invalid-bytes", r"mkdir $data; printf '\xff\xfe\0\x80\r\n' >$data/azorvrec3.txt; printf '\xc3(\x1b[2J' "
     ">$data/nzorvrec3.txt", [], None, "saved"),
    ("no-voice-data", GOOD, ["sh", "-c", 'ESPEAK_DATA_PATH=$HOME exec "$0"'], "espeak-ng-data", "kept"),
]


def close_boxes(seen):
    """Closes the boxes that come up one after another, keeping their texts."""
    def is_box(a):
        return a.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG) and a.getState().contains(pyatspi.STATE_SHOWING)
    while box := wait_for("a box", lambda: find(is_box), 2, required=False):
        seen.append(box.name)
        focus("^Zorvali$")
        key("Return")
        time.sleep(0.5)


def hostile(name, spoil, prefix, message, after):
    home = os.path.join(os.environ["HOME"], name)
    data = os.path.join(home, "share", "zorvali")
    env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "share"), data=data)
    subprocess.run(["bash", "-c", "mkdir -p $XDG_DATA_HOME; " + spoil], env=env, check=True)
    before, seen = record(data), []
    with open(os.path.join(home, "stderr"), "w+") as err:
        proc = start("Ada", greeted=False, prefix=prefix, stdout=subprocess.DEVNULL, stderr=err, env=env)
        close_boxes(seen)
        focus("Scrivici")
        play_one(True)
        key("alt+x")
        close_boxes(seen)
        ended(proc)
        err.seek(0)
        seen.append(err.read())
    print(name, seen, flush=True)
    if message and message not in "\n".join(seen):
        fail("%s: %r never shown" % (name, message))
    if after and record(data) != (before if after == "kept" else [b"1\r\n", b"Ada\r\n"]):
        fail("%s: the record holds %r" % (name, record(data)))


if MODE == "quick":
    quick()
elif MODE == "full":
    full()
else:
    lone = subprocess.run([BINARY], env={k: v for k, v in os.environ.items() if k != "DISPLAY"},
                          capture_output=True, text=True, timeout=10)
    if lone.returncode != 1 or "DISPLAY" not in lone.stderr:
        fail("without a display: exit %d, stderr %r" % (lone.returncode, lone.stderr))
    for trial in TRIALS:
        hostile(*trial)
print("PASS:", MODE, flush=True)
