# SPDX-License-Identifier: GPL-3.0-or-later
"""A short game by keys with a real screen reader listening: Orca, speaking through speech-dispatcher
and espeak-ng into a silent sound device. What Orca said and put on the braille line is read from its
own log, step by step, and printed as a transcript. Usage (under run.sh): orca.py ZORVALI_BINARY;
ZORVALI_ORCA_LOG=FILE keeps a copy of Orca's whole log."""
import json, os, pathlib, re, shutil, signal, subprocess, sys, time

import pyatspi

BINARY = sys.argv[1]
WORDS = "uno due tre quattro cinque sei sette otto nove dieci".split()
QUESTION = re.compile(r"3 per (%s)\b" % "|".join(WORDS))
# Failures of Orca's own to reach a braille display, which this machine has not: not the game's doing.
BRAILLE_SETUP = re.compile(r"brlapi|BRLTTY|braille\.py")
work = os.environ["HOME"]
log_path = os.path.join(work, "orca.log")

if not shutil.which("orca"):
    print("SKIP: Orca is not installed")
    sys.exit(77)


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    pathlib.Path(path).write_text(text)


def prepare():
    """speech-dispatcher plays into ALSA's null device; Orca starts with its settings in place, so it
    asks nothing, and writes its log line by line so that each step can wait for what it said."""
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")
    write(os.path.join(work, "config/speech-dispatcher/speechd.conf"),
          'AudioOutputMethod "alsa"\nAudioALSADevice "null"\n'
          'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\nDefaultModule "espeak-ng"\n')
    orca = os.path.join(os.environ["XDG_DATA_HOME"], "orca")
    profile = ["Default", "default"]
    write(os.path.join(orca, "user-settings.conf"), json.dumps({
        "general": {"enableSpeech": True, "enableBraille": True, "speakDescription": True, "enableKeyEcho": True,
                    "speechServerFactory": "speechdispatcherfactory", "firstStart": False, "profile": profile,
                    "activeProfile": profile, "startingProfile": profile},
        "profiles": {"default": {"profile": profile}}, "pronunciations": {}, "keybindings": {}}))
    write(os.path.join(orca, "orca-customizations.py"),
          "from orca import debug\ntry:\n    debug.debugFile.reconfigure(line_buffering=True)\n"
          "except Exception:\n    pass\n")


def alone(command):
    """Orca will not start beside another Orca of the same user (the developer's own, say); in a PID
    namespace of its own, where one can be had, it meets none, and whatever it starts ends with it.
    (Not in a user namespace: the session bus would not take the mapped user for the real one.)"""
    unshare = ["unshare", "--pid", "--fork", "--mount-proc", "--kill-child=SIGTERM"]
    return [*unshare, *command] if subprocess.run([*unshare, "true"], capture_output=True).returncode == 0 \
        else command


def lines():
    log = pathlib.Path(log_path)
    return log.read_text(errors="replace").splitlines() if log.exists() else []


def outputs(log):
    """What Orca said and brailled, in order, as ("said"|"braille", text)."""
    found = []
    for line in log:
        # The text is quoted; the voice it was spoken with may follow.
        if m := re.search(r"SPEECH OUTPUT: '(.*)'(?:\s*voice=\w+)?\s*(?:\{.*\})?$", line):
            found.append(("said", m.group(1).strip()))
        elif m := re.search(r"BRAILLE LINE:\s+'(.*)'", line):
            found.append(("braille", re.sub(r"\s+", " ", m.group(1)).strip()))
    return found


def errors(log):
    """Orca's failures to handle what it was sent, but for its search for a braille display."""
    found = []
    # An entry starts with a time stamp; a traceback's lines follow it unstamped.
    for entry in re.split(r"\n(?=\d\d:\d\d:\d\d\.\d+ - )", "\n" + "\n".join(log)):
        head, _, trace = entry.partition("\nTraceback")
        if trace and not BRAILLE_SETUP.search(trace):
            found.append(trace.strip().splitlines()[-1].strip())
        if "Could not process" in head or "bad content" in head:
            found.append(head.strip().split(" - ", 1)[-1])
    return found


def wait_until(predicate, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.1)
    return False


def asked():
    """The question the window is asking now, as its answer box holds it for assistive technologies."""
    try:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "zorvali":
                # A one-line box is a text to older toolkits, an entry to newer ones.
                box = pyatspi.findDescendant(app, lambda a: a is not None
                                             and a.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY)
                                             and a.getState().contains(pyatspi.STATE_SHOWING))
                return next((t for t in ((box.name, box.description) if box else ()) if QUESTION.fullmatch(t)), None)
    except Exception:  # the tree changes while windows come and go
        return None


steps = []  # (keys sent, the log's length before them, what must be heard, brailled, and not said)


def step(keys, hear=(), braille=(), never=()):
    """Sends the keys ("=text" is typed) and waits until Orca has said all that it must, then a little
    longer for what it might say twice. What must be heard or brailled may be a function, asked once
    the keys have had their effect."""
    start = len(lines())
    for i, key in enumerate(keys.split()):
        # At a child's pace: Orca echoes each key as it comes, and is not raced by a box that closes
        # with the field it was still reading.
        time.sleep(0.5 if i else 0)
        subprocess.run(["xdotool", *(("type", "--delay", "150", key[1:]) if key[0] == "=" else ("key", key))])
    resolve = lambda items: [i() if callable(i) else i for i in items]
    wait_until(lambda: all(h and any(h in s for w, s in outputs(lines()[start:]) if w == "said")
                           for h in resolve(hear)), 8)
    time.sleep(1)
    steps.append((keys, start, resolve(hear), resolve(braille), never))
    return steps[-1][2]


def play():
    """The game: a name, a right answer, a wrong answer, the next questions by Enter and by Alt+N,
    Alt+X and the boxes closed. Returns the game's exit code and what it wrote on stderr."""
    prepare()
    said_aside = open(os.path.join(work, "orca.out"), "w+")
    deadline = time.monotonic() + 60
    while True:
        orca = subprocess.Popen(alone(["orca", "--debug-file", log_path]), stdout=said_aside,
                                stderr=subprocess.STDOUT)
        # Orca says it is on; an Orca that keeps its log to itself until it ends gets some seconds.
        wait_until(lambda: any(w == "said" for w, _ in outputs(lines())) or orca.poll() is not None, 15)
        if orca.poll() is None:
            break
        # Without a namespace of its own (not root, or in a chroot), another trial's Orca makes it
        # leave at once: that one is over within a minute.
        if time.monotonic() > deadline:
            said_aside.seek(0)
            sys.exit("FAIL: Orca ended at start with %d: %s" % (orca.returncode, said_aside.read()))
        time.sleep(5)
    time.sleep(1)
    # To a file: a pipe nobody reads while the game runs fills with the toolkit's warnings and stops it.
    game_err = open(os.path.join(work, "game.err"), "w+")
    game = subprocess.Popen([BINARY], stderr=game_err)
    wait_until(lambda: any("Come ti chiami?" in s for _, s in outputs(lines())), 20)
    time.sleep(1)
    steps.append(("(the game starts)", 0, ("Come ti chiami?",), (), ()))
    step("=Zoe Return", hear=("Zoe vediamo se sei un vero campione",))
    old = None
    for keys, right in (("Return", True), ("Return", False), ("alt+n", None)):
        # The keys bring the focus to the answer box as it asks a new question.
        question = step(keys, hear=(asked,), braille=(asked,), never=(old,) if old else ())[0]
        if not question:
            game.kill()
        if not question or right is None:
            break
        product = 3 * (WORDS.index(question.split()[-1]) + 1)
        verdict = "Esatto. Sei forte!!!" if right else "Sbagliato!! %d" % product
        step("=%d Return" % (product if right else product + 1), hear=(verdict,))
        old = question
    if game.poll() is None:
        step("alt+x", hear=("Ciao. Ti aspetto per la prossima sfida",))
        step("Return", hear=("Ok ho registrato il tuo record",))
        step("Return")
    stop(game)
    orca.send_signal(signal.SIGTERM)
    stop(orca)
    game_err.seek(0)
    return game.returncode, game_err.read()[-2000:]


def stop(process):
    try:
        process.wait(timeout=15)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def judge(returncode, err):
    log = lines()
    failures = []
    print("What Orca said and brailled, with the keys between:")
    for i, (keys, start, hear, braille, never) in enumerate(steps):
        end = steps[i + 1][1] if i + 1 < len(steps) else len(log)
        out = outputs(log[start:end])
        print("keys: %s" % keys)
        for what, text in out:
            print("  %-8s %s" % (what + ":", text))
        said = [s for w, s in out if w == "said"]
        lines_shown = [s for w, s in out if w == "braille"]
        if None in hear:
            failures.append("after %s, the window asks no question that assistive technologies can read" % keys)
        failures += ["after %s, %r said %d times" % (keys, h, times) for h in filter(None, hear)
                     if (times := sum(h in s for s in said)) != 1]
        failures += ["after %s, %r never on the braille line" % (keys, b) for b in filter(None, braille)
                     if not any(b in s for s in lines_shown)]
        failures += ["after %s, the old question %r said" % (keys, n) for n in never
                     if n not in hear and any(n in s for s in said)]
        if any("state-changed:focused" in line and "scuolazorvali" in line for line in log[start:end]):
            failures.append("after %s, the menu bar took the focus" % keys)
    failures += ["Orca's log: " + e for e in errors(log)]
    if os.environ.get("ZORVALI_ORCA_LOG"):
        shutil.copy(log_path, os.environ["ZORVALI_ORCA_LOG"])
    if returncode != 0:
        failures.append("the game ended with %s: %s" % (returncode, err))
    return failures


failures = judge(*play())
if failures:
    sys.exit("FAIL:\n  " + "\n  ".join(failures))
print("PASS: orca", flush=True)
