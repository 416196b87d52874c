#!/usr/bin/python3
# The real program in an X server of its own (CTest starts it with xvfb-run) as a player meets it,
# driven with xdotool and judged from the screen and, by ear, from what Orca says; every check
# waits for what it expects, up to a bound.
#   desktop.py DESKTOP PLATFORM NAMES EXIT
# The game DUPLORA, started from this folder (the package's as-installed test: by its menu entry's
# command, from another folder), under metacity on X11 (xcb: by ear, with Orca; windows: the
# Windows build under Wine, by eye) or under weston on Wayland, by eye: the shuffled face-up
# board; for each name, the name dialog stays above the board after a click on it and takes the
# name, a whole game from the keyboard alone by a bot that remembers the faces it saw, "Top 10"
# above the board and About, each closed by Enter on OK; the way out EXIT (Ctrl+Q, Game > Exit or
# the close button) ends the game at once. On X11 also every window's frame where the layout puts
# it (the name dialog's centred at each opening), and the main window's class and icon; under
# weston, a maximize that leaves the game running and whole.
# Needs SOURCE_DIR (with Images/), ARTIFACTS (screenshots) and DUPLORA.
import atexit
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import numpy
from PIL import Image, ImageGrab
from Xlib.display import Display

ENV = os.environ
TMP = tempfile.mkdtemp()
STARTED = []
SIDE, PITCH = 51, 56
SCREEN = (1024, 768)
os.makedirs(ENV['ARTIFACTS'], exist_ok=True)


def cleanup():
    # Each program with whatever it started.
    for process in STARTED:
        run('kill', '-KILL', '--', f'-{process.pid}')
    shutil.rmtree(TMP, True)


atexit.register(cleanup)


def run(*args, **kw):
    # Bounded: a command that hangs fails the run at once rather than at CTest's limit.
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, timeout=60,
                          **kw)


def start(*args, **kw):
    log = open(f'{ENV["ARTIFACTS"]}/{os.path.basename(args[0])}.log', 'w')
    STARTED.append(subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT,
                                    start_new_session=True, **kw))
    return STARTED[-1]


def xdotool(*verbs):
    return run('xdotool', *verbs).returncode == 0


def screen(name='screen'):
    image = ImageGrab.grab(xdisplay=ENV['DISPLAY']).convert('RGB')
    image.save(f'{ENV["ARTIFACTS"]}/{name}.png')
    return image


def pixels(image):
    # The image as one number a pixel, rows by columns.
    a = numpy.asarray(image.convert('RGB'), dtype=numpy.int32)
    return a[..., 0] << 16 | a[..., 1] << 8 | a[..., 2]


# Each picture's colour at its flat edge.
EDGES = [pixels(Image.open(f'{ENV["SOURCE_DIR"]}/Images/{k}.bmp'))[0, 0] for k in range(1, 19)]


def fail(why):
    screen('failure')
    sys.exit('FAIL: ' + why)


def eventually(check, seconds=20):
    end = time.monotonic() + seconds
    result = check()
    while not result and time.monotonic() < end:
        time.sleep(0.2)
        result = check()
    return result


def blocks(mask, height, width):
    # Where a block of HEIGHT by WIDTH pixels of MASK begins, as (x, y), top row first.
    whole = numpy.pad(mask, ((1, 0), (1, 0))).cumsum(axis=0).cumsum(axis=1)
    area = (whole[height:, width:] - whole[:-height, width:] - whole[height:, :-width]
            + whole[:-height, :-width])
    ys, xs = numpy.nonzero(area == height * width)
    return list(zip(xs.tolist(), ys.tolist()))


class Board:
    # Card 1's picture at (LEFT, TOP) on the screen, the others at the layout's pitch from it.
    def __init__(self, left, top):
        self.left, self.top, self.focus, self.framed = left, top, None, []

    @staticmethod
    def found(image):
        # Wherever a compositor put it: the highest place where every card shows a picture's
        # colour at its corner, a picture's flat top edge: a whole board, not one fading in or
        # under a window.
        p = pixels(image)
        edge = numpy.isin(p, EDGES)
        height, width = p.shape[0] - 5 * PITCH - SIDE, p.shape[1] - 5 * PITCH - SIDE
        whole = numpy.ones((height, width), bool)
        for x, y in Board(0, 0).corners():
            whole &= edge[y:y + height, x:x + width]
        found = blocks(whole, 1, SIDE)
        return Board(*found[0]) if found else None

    @staticmethod
    def settled(name):
        # A board found twice in the same place, half a second apart: a compositor may show a new
        # window first where the last one stood.
        first = Board.found(screen(name))
        time.sleep(0.5)
        board = Board.found(screen(name))
        if first and board and (board.left, board.top) == (first.left, first.top):
            return board
        return None

    def corners(self):
        return [(self.left + PITCH * (n % 6), self.top + PITCH * (n // 6)) for n in range(36)]

    def faces(self, name='board'):
        # Each card's face, and whether the keyboard's focus frame shows over its edge.
        image, corners = screen(name), self.corners()
        p = pixels(image)
        self.framed = [p[y + 25, x + 2] not in EDGES for x, y in corners]
        return [image.crop((x + 5, y + 5, x + 46, y + 46)).tobytes() for x, y in corners]

    def click(self, n, ear=None):
        # Tab focuses a card (card 1 from the board, else the one after the card left last), the
        # arrows walk the grid and stop at its edges, Space and Enter turn a card. By ear, a card
        # is sought once Orca has gone quiet, and turned once Orca named it.
        row, col = divmod(self.focus or 0, 6)
        steps = ['Tab'] + ['Up', 'Left'] * 5 if self.focus is None else []
        steps += ['Down' if n // 6 > row else 'Up'] * abs(n // 6 - row)
        steps += ['Right' if n % 6 > col else 'Left'] * abs(n % 6 - col)
        if ear:
            ear.quiet()
        if steps:
            xdotool('key', '--delay', '30', *steps)
            if ear and not ear.hear(rf'^Card {n + 1}, '):
                fail(f'Orca did not name card {n + 1}')
        xdotool('key', 'space' if n % 2 else 'Return')
        self.focus, self.pressed = n, time.monotonic()


def placed(title, where):
    # The window's frame where the layout puts it (WHERE: its place and its client's size; None:
    # in the middle of the screen), as the window manager drew it.
    display, seen = Display(ENV['DISPLAY']), []

    def stands():
        # Its place and where it belongs, read in one look.
        ids = run('xdotool', 'search', '--onlyvisible', '--name', title).stdout.split()
        if not ids:
            return False
        window = display.create_resource_object('window', int(ids[-1]))
        size, at = window.get_geometry(), window.translate_coords(display.screen().root, 0, 0)
        extents = window.get_full_property(display.intern_atom('_NET_FRAME_EXTENTS'), 0)
        left, right, top, bottom = extents.value if extents else (0, 0, 0, 0)
        shown = (-at.x - left, -at.y - top, size.width, size.height)
        middle = ((SCREEN[0] - size.width - left - right) // 2,
                  (SCREEN[1] - size.height - top - bottom) // 2, size.width, size.height)
        seen[:] = [shown, where or middle]
        return shown == (where or middle)

    if not eventually(stands):
        fail(f'{title} stands at {seen}')


class Ear:
    # What Orca speaks, in order, from its debug log, one utterance a line; each wait hears only
    # what came after the last thing heard.
    def __init__(self, log, orca):
        if not eventually(lambda: os.path.exists(log)):
            fail('Orca did not start')
        self.file, self.orca = open(log, errors='replace'), orca
        self.said, self.partial, self.read = '', '', 0

    def take(self):
        # Whole lines only: Orca may be halfway through one.
        self.partial += self.file.read()
        *lines, self.partial = self.partial.split('\n')
        for line in lines:
            m = re.search(r"SPEECH OUTPUT: (['\"])(.*)\1 ?\{", line)
            if m:
                self.said += m[2] + '\n'

    def working(self):
        # The processor time Orca's processes have spent, in clock ticks.
        spent = 0
        for pid in run('pgrep', '-f', self.orca).stdout.split():
            try:
                fields = open(f'/proc/{pid}/stat').read().rsplit(')', 1)[1].split()
                spent += int(fields[11]) + int(fields[12])
            except OSError:
                pass
        return spent

    def hear(self, pattern, seconds=30):
        def check():
            self.take()
            m = re.compile(pattern, re.M).search(self.said, self.read)
            if m:
                self.read = m.end()
            return m
        return eventually(check, seconds)

    def quiet(self, calm=0.5, seconds=60):
        # Waits until Orca has handled all it was told (for CALM seconds it worked less than a
        # tenth of the time: the clock's tick, which it passes over, costs it a few milliseconds),
        # then takes in the rest of what it said, which it returns as one line.
        def still():
            before = self.working()
            time.sleep(calm)
            return self.working() - before < calm * os.sysconf('SC_CLK_TCK') / 10
        if not eventually(still, seconds):
            fail('Orca never went quiet')
        self.take()
        begun, self.read = self.read, len(self.said)
        return ' '.join(self.said[begun:].split())


def orca(env):
    # A blind player's desktop: the accessibility bus of the session's bus, and Orca with settings
    # of its own and the voice Debian gives it, espeak-ng, speaking to no sound card. Orca runs in
    # a terminal session of its own, which outlives its parent: it is ended by its folder's name.
    home, log = tempfile.mkdtemp(dir=TMP), f'{ENV["ARTIFACTS"]}/orca.log'
    shutil.copytree('/etc/speech-dispatcher', f'{home}/.config/speech-dispatcher')
    with open(f'{home}/.config/speech-dispatcher/speechd.conf', 'a') as conf:
        conf.write('AudioOutputMethod "libao"\nDefaultModule espeak-ng\n')
    with open(f'{home}/.libao', 'w') as libao:
        libao.write('default_driver=null\n')
    env.update(HOME=home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
    bus = ['dbus-send', '--session', '--dest=org.a11y.Bus', '--print-reply', '/org/a11y/bus',
           'org.a11y.Bus.GetAddress']
    if not eventually(lambda: run(*bus, env=env).returncode == 0):
        fail('no accessibility bus')
    run('gsettings', 'set', 'org.gnome.desktop.interface', 'toolkit-accessibility', 'true', env=env)
    if os.path.exists(log):
        os.remove(log)
    command = f'orca --replace -u {home}/orca'
    start('script', '-q', '-f', '-c', f'{command} --debug-file /dev/tty', log, env=env)
    atexit.register(run, 'pkill', '-KILL', '-f', command)
    # Orca's speech-dispatcher too, which leaves its session, by its socket's folder.
    atexit.register(run, 'pkill', '-KILL', '-f', f'speech-dispatcher.*{env["XDG_RUNTIME_DIR"]}')
    ear = Ear(log, command)
    if not ear.hear('Screen reader on', 60):
        fail('Orca said nothing')
    return ear


def play(board, ear=None):
    # Turns the partner of a face it remembers, else a card it has not seen. By eye, it sees each
    # card it turns under the focus frame; by ear, Orca tells each picture, and a card the
    # reshuffle moved is heard anew. Returns the attempts.
    down, seen, matched, attempts = board.faces()[0], {}, set(), 0

    def hidden(skip):
        return [n for n in range(36) if n not in matched and n not in skip]

    def partner(n):
        return [m for m in hidden([n]) if m in seen and seen[m] == seen.get(n)]

    def turned(n):
        face = board.faces()[n]
        return face if face != down and board.framed[n] else None

    def turn(n, first=None):
        board.click(n, ear)
        if not ear:
            seen[n] = eventually(lambda: turned(n))
            if not seen[n]:
                fail(f'card {n + 1} did not turn under the focus frame')
            return seen[n]
        # The last match opens Top 10 at once, which Orca may tell first.
        heard = ear.hear(r'Picture (\d+)|^Top 10 dialog')
        if not heard:
            fail(f'Orca did not tell the picture of card {n + 1}')
        seen[n] = heard[1] or seen.get(first)
        return seen[n]

    while len(matched) < 36:
        cards = hidden([])
        first = ([n for n in cards if partner(n)] + [n for n in cards if n not in seen] + cards)[0]
        face = turn(first)
        others = hidden([first])
        second = (partner(first) + [n for n in others if n not in seen] + others)[0]
        attempts += 1
        if len(matched) == 34 and not ear:
            # By eye the last card is not looked at: "Top 10" opens over it.
            board.click(second)
            break
        if turn(second, first) == face:
            matched |= {first, second}
    return attempts


def nested(kind):
    # Starts KIND in the X server; returns the environment its clients get.
    folder = tempfile.mkdtemp(dir=TMP)
    env = {**ENV, 'XDG_RUNTIME_DIR': folder}
    if kind == 'metacity':
        start('metacity', '--sm-disable', env=env)
        if not eventually(lambda: 'window id' in run('xprop', '-root',
                                                     '_NET_SUPPORTING_WM_CHECK').stdout):
            fail('metacity did not start')
        return env
    # weston without its panel, whose terminal launcher in the pointer's resting corner a stray
    # click once started, and without its on-screen keyboard, which showed over the name dialog.
    with open(f'{folder}/weston.ini', 'w') as ini:
        ini.write('[input-method]\npath=\n[shell]\npanel-position=none\n')
    start('weston', '--backend=x11-backend.so', '--socket=duplora', '--width=1000',
          '--height=740', f'--config={folder}/weston.ini', env=env)
    if not eventually(lambda: os.path.exists(f'{folder}/duplora')):
        fail('weston did not start')
    return {**env, 'WAYLAND_DISPLAY': 'duplora'}


def field(image):
    # The name dialog's empty box: a white block a box wide (217 px less its frame and its caret)
    # and more than a line high, as the only one on the screen.
    found = blocks(pixels(image) == 0xffffff, 14, 200)
    return found[0] if found else None


# The three ways out: the key, the menu by mouse, and the close button at the right of a title
# bar, from the client area's corner.
EXITS = {
    'Ctrl+Q': lambda x, y: ['mousemove', x + 40, y + 372, 'sleep', 0.3, 'click', 1,
                            'key', 'ctrl+q'],
    'Game > Exit': lambda x, y: ['mousemove', x + 23, y + 8, 'sleep', 0.3, 'click', 1,
                                 'sleep', 0.5, 'key', 'Up', 'Return'],
    'the close button': lambda x, y: ['mousemove', x + 334, y - 14, 'sleep', 0.3, 'click', 1],
}


def maximized(board):
    # weston maximizes the window (Super+Shift+M): the game goes on, its board whole, and the
    # same keys give the window its size back.
    for step in ('maximized', 'restored'):
        xdotool('key', 'super+shift+m')
        shown = eventually(lambda: Board.settled(f'05-{step}'))
        if not shown:
            fail(f'the board did not show whole, {step}')
    return shown


def desktop(kind, platform, players, how):
    session = nested(kind)
    game = [ENV['DUPLORA']]
    if game[0].endswith('.exe'):
        game.insert(0, 'wine')
    # Under metacity on X11 a blind player plays by ear, with Orca.
    ear = platform == 'xcb' and orca(session)
    app = start(*game, env={**session, 'QT_QPA_PLATFORM': platform})
    board = eventually(lambda: Board.settled('01-start'))
    if not board:
        fail('no board')
    # On X11 every window stands where the layout puts it (the name dialog in the middle of the
    # screen with its frame, at every opening).
    x11 = platform == 'xcb'
    if x11:
        placed('^Duplora$', (236, 109, 350, 385))
    if kind == 'weston':
        board = maximized(board)

    def bar():
        return ['mousemove', board.left + 40, board.top + 346, 'sleep', 0.3, 'click', 1, 'sleep',
                0.3]
    for player in players.split(','):
        # A click on the status bar gives the window the keyboard, and Ctrl+N opens the name
        # dialog: both until it shows, as a compositor may still be mapping the window at the first
        # click, and the first key can reach a new window before its focus does.
        def opened():
            xdotool(*bar(), 'key', 'ctrl+n')
            return eventually(lambda: field(screen('02-name')), 3)
        shown = eventually(opened)
        if not shown:
            fail('no name dialog')
        x, y = shown
        # weston may have moved the window, restored, as it gave it the keyboard.
        board = Board.found(screen('02-name')) or board
        if x11:
            placed('^New game$', None)
        # The name dialog takes the name typed after a click on its box, as some compositors give
        # the keyboard to the board.
        if ear:
            ear.quiet()
        xdotool('mousemove', x + 100, y + 6, 'sleep', 0.3, 'click', 1, 'sleep', 0.3,
                'mousemove', 0, 0, 'type', '--delay', '50', player)
        # The game's clock starts as the dialog takes Enter.
        entered = time.monotonic()
        xdotool('key', 'Return')
        if not eventually(lambda: len(set(board.faces('04-face-down'))) == 1):
            fail('the name dialog did not take the name')
        # Some compositors give the keyboard back to the board a moment after the dialog closed,
        # or tell Qt only at a click: a player's click on the status bar.
        xdotool(*bar(), 'mousemove', 0, 0)
        # By ear, Orca tells how to reach the cards, or names the card that has the focus.
        if ear and not ear.hear(r'Tab reaches the cards|^Card \d+, face down'):
            fail('Orca did not tell how to reach the cards')
        board.focus = None
        attempts = play(board, ear)
        if ear:
            # At the end Orca tells the player's own time (the clock's, from Enter in the name
            # dialog to the last card's key), attempts and places, and the rows by time, whole, in
            # one utterance or more: among them this game's, at its place.
            result = rf'Last game: {re.escape(player)}, (\d+) seconds, {attempts} attempts, '
            heard = ear.hear(result + r'place (\d+) by time, place \d+ by attempts\. By time: (.*)')
            if not heard:
                fail('Top 10 did not tell the result')
            played = board.pressed - entered
            if abs(int(heard[1]) - played) >= 3:
                fail(f'{heard[1]} seconds heard after {played:.0f}')
            row = f'{heard[2]}. {player}, {heard[1]} seconds, {attempts} attempts.'
            told = heard[3] + ' ' + ear.quiet()
            if row not in told:
                fail(f'Top 10 told the rows as "{told}"')
        dialogs(board, ear, x11)

    # This desktop's way out ends the game at once, once the window has the pointer's or the
    # keyboard's attention (it is tried until then): Qt's Wayland teardown can hang a process. By
    # ear, once Orca has told the main window again and gone quiet.
    if ear:
        ear.hear(r'^Duplora - .* frame')
        ear.quiet()

    def ended():
        xdotool('mousemove', 0, 0, *EXITS[how](board.left - 9, board.top - 26))
        return eventually(lambda: app.poll() is not None, 1)
    if not eventually(ended, 30) or app.returncode != 0:
        fail(f'{how} ended the game with {app.returncode}')
    # Over whole games, by ear too, the game says nothing of its own.
    if ear:
        said = open(f'{ENV["ARTIFACTS"]}/duplora.log').read()
        if said:
            fail(f'the game printed: {said[:500]}')


def dialogs(board, ear, x11):
    # "Top 10" opens above the main window, by its blue headings; About opens with F1, by its
    # yellow heading, and is read from its first line as laid out, wherever the caret was left;
    # Enter on OK closes each. Under weston the keyboard comes back to the main window a moment
    # after a dialog closes: F1 is pressed until it takes. F1 goes by its key code (67): where the
    # key map gives that key a level under Alt as well (xkb-data 2.48), xdotool presses Alt with
    # the key's name, and Alt+F1 is not F1.
    for opening, keys, title, where, colour in (
            ([], ['Tab'], 'Top 10', (419, 105, 436, 458), 0x0000ff),
            (['67'], ['Down'] + ['Tab'] * 3, 'About...', (304, 39, 462, 499), 0xffff00)):
        def shown():
            return (pixels(screen('07-opened')) == colour).sum() > 1000

        def opened():
            if opening:
                xdotool('key', *opening)
            return eventually(shown, 3)
        if not eventually(opened):
            fail(f'{title} did not open above the main window')
        if x11:
            placed(f'^{re.escape(title)}$', where)
        if ear and opening and not ear.hear('^Za sve igrace kojima ime ne pocinje $'):
            fail('About was not read from its first line')
        xdotool('key', *keys, 'Return')
        if not eventually(lambda: not shown() and len(set(board.faces('09-finished'))) == 18):
            fail(f'OK did not close {title}')


desktop(*sys.argv[1:])
