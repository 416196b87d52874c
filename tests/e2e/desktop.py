#!/usr/bin/python3
# The real program in an X server of its own (CTest starts it with xvfb-run) as a player meets it,
# driven with xdotool and judged from the screen alone; every check waits for what it expects, up
# to a bound.
#   desktop.py COMPOSITOR PLATFORM NAMES EXIT
# The game DUPLORA, started from this folder (the package's as-installed test: by its menu entry's
# command, from another folder), under metacity (by ear, with Orca), or weston, mutter or kwin
# nested here (GNOME 49's mutter and later headless, seen and driven through its remote desktop),
# on X11 (xcb: metacity's, or the compositor's Xwayland) or on Wayland: the shuffled face-up board;
# for each name, the name dialog stays above the board after a click on it and takes the name, a
# whole game from the keyboard alone by a bot that remembers the faces it saw and sees the focus
# frame over each card it turns, "Top 10" above the board, deaf to Escape, and About, each closed
# by Enter on OK; the way out EXIT (Ctrl+Q, Game > Exit or the close button) ends the game at once.
# On X11 also every window's frame where the layout puts it (the name dialog's centred at each
# opening), and the main window's icon.
# Needs SOURCE_DIR (with Images/), ARTIFACTS (screenshots) and DUPLORA.
import atexit, os, re, shutil, subprocess, sys, tempfile, time
from PIL import Image, ImageGrab

ENV, STARTED, REMOTE, TMP = os.environ, [], None, tempfile.mkdtemp()
atexit.register(shutil.rmtree, TMP, True)
# Each picture's colour at its edge.
EDGES = [Image.open(f'{ENV["SOURCE_DIR"]}/Images/{k}.bmp').convert('RGB').getpixel((0, 0)) for k in range(1, 19)]
# Each program with whatever it started: a compositor's session bus, Xwayland and session.
atexit.register(lambda: [run('kill', '-KILL', '--', f'-{p.pid}') for p in STARTED])
os.makedirs(ENV['ARTIFACTS'], exist_ok=True)


def run(*args, **kw):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, **kw)


def start(*args, **kw):
    STARTED.append(subprocess.Popen(args, stdout=open(f'{ENV["ARTIFACTS"]}/{os.path.basename(args[0])}.log', 'w'),
                                    stderr=subprocess.STDOUT, start_new_session=True, **kw))
    return STARTED[-1]


def screen(name='screen'):
    image = (REMOTE.grab() if REMOTE else ImageGrab.grab(xdisplay=ENV['DISPLAY'])).convert('RGB')
    image.save(f'{ENV["ARTIFACTS"]}/{name}.png')
    return image


def fail(why):
    screen('failure')
    sys.exit('FAIL: ' + why)


def eventually(check, seconds=20):
    end = time.monotonic() + seconds
    while not (result := check()) and time.monotonic() < end:
        time.sleep(0.2)
    return result


def placed(title, where, env):
    # The window's frame where the layout puts it (WHERE: its place and its client's size; None: in
    # the middle of the 1024 × 768 screen), as the window manager drew it.
    win = (eventually(lambda: run('xdotool', 'search', '--onlyvisible', '--name', title, env=env).stdout.split()) or fail(f'no window "{title}"'))[-1]

    def frame():
        info = run('xwininfo', '-id', win, env=env).stdout
        x, y, width, height = (int(re.search(key + r':\s+(-?\d+)', info)[1]) for key in ('upper-left X', 'upper-left Y', 'Width', 'Height'))
        left, right, top, bottom = [*map(int, re.findall(r'\d+', run('xprop', '-id', win, '_NET_FRAME_EXTENTS', env=env).stdout))] or [0] * 4
        return (x - left, y - top, width, height), where or ((1024 - width - left - right) // 2, (768 - height - top - bottom) // 2, width, height)
    eventually(lambda: (f := frame())[0] == f[1]) or fail(f'{title} stands at {frame()[0]}, not {frame()[1]}')
    return win


class Board:
    # Card 1's picture at FIRST on the screen, the others at the layout's pitch from it.
    def __init__(self, first):
        (self.left, self.top), self.focus = first, None

    @staticmethod
    def found(image):
        # Wherever a compositor put it: from the highest picture found by its flat edge, a picture
        # wide, with its twin a picture lower, the board whose every card shows its picture's colours
        # at its corner: a whole board, not one fading in or under a window.
        side, pitch, data, line = 51, 56, image.tobytes(), image.width * 3
        for y in range(image.height - side):
            hits = [p for edge in map(bytes, EDGES) for p in runs(data, edge * side, y * line, (y + 1) * line)
                    if data.startswith(edge * side, p + (side - 1) * line)]
            if hits:
                x = (hits[0] - y * line) // 3
                boards = [Board((x - pitch * i, y - pitch * j)) for i in range(6) for j in range(6)]
                inside = lambda b: 0 <= b.left < image.width - 5 * pitch - side and 0 <= b.top < image.height - 5 * pitch - side
                return next((b for b in boards if inside(b) and all(image.getpixel(c) in EDGES for c in b.corners())), None)

    @staticmethod
    def settled(name):
        # A board found twice in the same place, half a second apart: a compositor may show a new
        # window first where the last one stood.
        first = Board.found(screen(name))
        time.sleep(0.5)
        return first and (board := Board.found(screen(name))) and (board.left, board.top) == (first.left, first.top) and board

    def corners(self):
        return [(self.left + 56 * (n % 6), self.top + 56 * (n // 6)) for n in range(36)]

    def faces(self, name='board'):
        # Inside the keyboard's focus frame; and where that frame shows over a face-up card: in
        # whatever colour the style gives it, over the flat edge of the picture.
        image, corners = screen(name), self.corners()
        self.framed = [image.getpixel((x + 2, y + 25)) not in EDGES for x, y in corners]
        return [image.crop((x + 5, y + 5, x + 46, y + 46)).tobytes() for x, y in corners]

    def click(self, n, ear=None):
        # Tab focuses a card (card 1 from the board), the arrows walk the grid and stop at its
        # edges, Space and Enter turn a card. By ear, a card is sought once Orca has gone quiet, and
        # turned once Orca named it.
        row, col = divmod(self.focus or 0, 6)
        steps = ['Tab'] + ['Up', 'Left'] * 5 if self.focus is None else []
        steps += ['Down' if n // 6 > row else 'Up'] * abs(n // 6 - row)
        steps += ['Right' if n % 6 > col else 'Left'] * abs(n % 6 - col)
        ear and ear.quiet()
        steps and xdotool('key', '--delay', '30', *steps)
        ear and steps and not ear.hear(rf'^Card {n + 1}, ') and fail(f'Orca did not name card {n + 1}')
        xdotool('key', 'space' if n % 2 else 'Return')
        self.focus, self.pressed = n, time.monotonic()


def xdotool(*verbs):
    return REMOTE.do(*verbs) if REMOTE else run('xdotool', *verbs)


class Remote:
    # Where no X server shows the screen (GNOME 49's mutter and later, headless): its screen cast
    # over PipeWire as the screen, its remote-desktop session as keyboard and pointer, doing what
    # xdotool's verbs here do. Both end with this connection to the session's bus.
    KEYSYMS = {'Tab': 0xff09, 'Return': 0xff0d, 'Escape': 0xff1b, 'Left': 0xff51, 'Up': 0xff52, 'Right': 0xff53,
               'Down': 0xff54, 'space': 0x20, 'ctrl': 0xffe3, '67': 0xffbe}

    def __init__(self, env):
        import dbus, dbus.mainloop.glib
        from gi.repository import GLib
        dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
        bus, loop, node = dbus.bus.BusConnection(env['DBUS_SESSION_BUS_ADDRESS']), GLib.MainLoop(), []
        mutter = lambda api, path, part='': dbus.Interface(bus.get_object(f'org.gnome.Mutter.{api}', path), f'org.gnome.Mutter.{api}{part}')
        self.desktop = mutter('RemoteDesktop', mutter('RemoteDesktop', '/org/gnome/Mutter/RemoteDesktop').CreateSession(), '.Session')
        id = self.desktop.Get('org.gnome.Mutter.RemoteDesktop.Session', 'SessionId', dbus_interface=dbus.PROPERTIES_IFACE)
        cast = mutter('ScreenCast', mutter('ScreenCast', '/org/gnome/Mutter/ScreenCast').CreateSession({'remote-desktop-session-id': id}), '.Session')
        # The primary monitor's stream, whose PipeWire node comes once the session started.
        self.stream = cast.RecordMonitor('', {})
        bus.add_signal_receiver(lambda n: [node.append(n), loop.quit()], 'PipeWireStreamAdded', path=self.stream)
        self.desktop.Start()
        GLib.timeout_add_seconds(20, loop.quit)
        loop.run()
        self.node, self.env = node[0] if node else fail('no screen cast'), env

    def grab(self):
        # One frame of the stream. A look can wait in vain for its frame (once, the first of a run
        # under load) or fail, as gst-launch's status tells: it is taken anew, up to three times.
        # The run then ends without fail(), whose screenshot would look once more.
        shot = f'{ENV["ARTIFACTS"]}/cast.png'
        for _ in range(3):
            try:
                if run('gst-launch-1.0', '-q', 'pipewiresrc', f'path={self.node}', 'num-buffers=1', '!', 'videoconvert', '!', 'pngenc',
                       '!', 'filesink', f'location={shot}', env=self.env, timeout=20).returncode == 0:
                    return Image.open(shot)
            except (subprocess.TimeoutExpired, OSError):
                pass
        sys.exit('FAIL: the screen cast gave no frame')

    def do(self, *argv):
        # Each verb with what follows it: keys or chords ("ctrl+n") pressed, a text typed, each
        # after "--delay" milliseconds; the pointer moved, its left button (evdev's) clicked; a pause.
        delay, verbs = 0.012, []
        for word in map(str, argv):
            if word in ('key', 'type', 'mousemove', 'click', 'sleep'):
                verbs.append([word])
            else:
                verbs[-1].append(word)
        for verb, *args in verbs:
            if args[:1] == ['--delay']:
                delay, args = int(args[1]) / 1000, args[2:]
            if verb == 'mousemove':
                self.desktop.NotifyPointerMotionAbsolute(self.stream, *map(float, args))
            elif verb == 'click':
                [self.desktop.NotifyPointerButton(0x110, down) for down in (True, False)]
            elif verb == 'sleep':
                time.sleep(float(args[0]))
            else:
                for chord in [[c] for c in args[0]] if verb == 'type' else [a.split('+') for a in args]:
                    syms = [self.KEYSYMS.get(key, ord(key[0])) for key in chord]
                    [self.desktop.NotifyKeyboardKeysym(sym, down) for down in (True, False) for sym in (syms if down else syms[::-1])]
                    time.sleep(delay)
        return True


def runs(data, run, start, end):
    # Where RUN stands in DATA between START and END, at whole pixels.
    p = data.find(run, start, end)
    while p >= 0:
        p % 3 or (yield p)
        p = data.find(run, p + 1, end)


class Ear:
    # What Orca speaks, in order, from its debug log, one utterance a line; each wait hears only
    # what came after the last thing heard.
    def __init__(self, log, orca):
        eventually(lambda: os.path.exists(log)) or fail('Orca did not start')
        self.file, self.said, self.partial, self.read, self.orca = open(log, errors='replace'), '', '', 0, orca

    def take(self):
        # Whole lines only: Orca may be halfway through one.
        self.partial += self.file.read()
        *lines, self.partial = self.partial.split('\n')
        self.said += ''.join(m[2] + '\n' for line in lines if (m := re.search(r"SPEECH OUTPUT: (['\"])(.*)\1 ?\{", line)))

    def working(self):
        # The processor time Orca's processes have spent, in clock ticks.
        def spent(pid):
            try:
                return sum(map(int, open(f'/proc/{pid}/stat').read().rsplit(')', 1)[1].split()[11:13]))
            except OSError:
                return 0
        return sum(map(spent, run('pgrep', '-f', self.orca).stdout.split()))

    def hear(self, pattern, seconds=30):
        def check():
            self.take()
            if m := re.compile(pattern, re.M).search(self.said, self.read):
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
        eventually(still, seconds) or fail('Orca never went quiet')
        self.take()
        start, self.read = self.read, len(self.said)
        return ' '.join(self.said[start:].split())


def orca(env):
    # A blind player's desktop: the accessibility bus of the session's bus, and Orca with settings
    # of its own and the voice Debian gives it, espeak-ng, speaking to no sound card. Orca runs in
    # a terminal session of its own, which outlives its parent: it is ended by its folder's name.
    home, log = tempfile.mkdtemp(dir=TMP), f'{ENV["ARTIFACTS"]}/orca.log'
    shutil.copytree('/etc/speech-dispatcher', f'{home}/.config/speech-dispatcher')
    open(f'{home}/.config/speech-dispatcher/speechd.conf', 'a').write('AudioOutputMethod "libao"\nDefaultModule espeak-ng\n')
    open(f'{home}/.libao', 'w').write('default_driver=null\n')
    env.update(HOME=home, QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1')
    eventually(lambda: run('dbus-send', '--session', '--dest=org.a11y.Bus', '--print-reply', '/org/a11y/bus',
                           'org.a11y.Bus.GetAddress', env=env).returncode == 0) or fail('no accessibility bus')
    run('gsettings', 'set', 'org.gnome.desktop.interface', 'toolkit-accessibility', 'true', env=env)
    os.path.exists(log) and os.remove(log)
    start('script', '-q', '-f', '-c', f'orca --replace -u {home}/orca --debug-file /dev/tty', log, env=env)
    atexit.register(run, 'pkill', '-KILL', '-f', f'orca --replace -u {home}')
    # Orca's speech-dispatcher too, which leaves its session, by its socket's folder.
    atexit.register(run, 'pkill', '-KILL', '-f', f'speech-dispatcher.*{env["XDG_RUNTIME_DIR"]}')
    (ear := Ear(log, f'orca --replace -u {home}')).hear('Screen reader on', 60) or fail('Orca said nothing')
    return ear


def play(board, ear=None):
    # Turns the partner of a face it remembers, else a card it has not seen. By eye, it sees each
    # card it turns; by ear, Orca tells each picture, and a card the reshuffle moved is heard anew.
    # Returns the attempts.
    down, seen, matched, attempts = board.faces()[0], {}, set(), 0
    hidden = lambda skip: [n for n in range(36) if n not in matched | set(skip)]
    partner = lambda n: [m for m in hidden([n]) if m in seen and seen[m] == seen.get(n)]

    def turn(n, first=None):
        board.click(n, ear)
        if not ear:
            seen[n] = eventually(lambda: (f := board.faces()[n]) != down and board.framed[n] and f) \
                or fail(f'card {n + 1} did not turn under the focus frame')
        else:
            # The last match opens Top 10 at once, which Orca may tell first.
            heard = ear.hear(r'Picture (\d+)|^Top 10 dialog') or fail(f'Orca did not tell the picture of card {n + 1}')
            seen[n] = heard[1] or seen.get(first)
        return seen[n]

    while len(matched) < 36:
        first = ([n for n in hidden([]) if partner(n)] + [n for n in hidden([]) if n not in seen] + hidden([]))[0]
        face = turn(first)
        second = (partner(first) + [n for n in hidden([first]) if n not in seen] + hidden([first]))[0]
        attempts += 1
        if len(matched) == 34 and not ear:  # by eye the last card is not looked at: "Top 10" opens over it
            board.click(second)
            break
        if turn(second, first) == face:
            matched |= {first, second}
    return attempts


# Each compositor nested in the X server, as a desktop session runs it: with a session that tells
# its environment, with the display of its Xwayland, and waits.
COMPOSITORS = {
    'metacity': ['metacity', '--sm-disable'],
    'weston': ['weston', '--backend=x11-backend.so', '--socket=duplora', '--width=1000', '--height=740', '--config={folder}/weston.ini'],
    'mutter': ['dbus-run-session', '--', 'env', 'MUTTER_DEBUG_DUMMY_MODE_SPECS=1024x768', 'mutter', '--nested',
               '--wayland', '--wayland-display=duplora', '--', 'sh', '{session}'],
    # GNOME 49's and later, which runs on a real display or headless only: headless, with PipeWire
    # for its screen cast.
    'gnome': ['dbus-run-session', '--', 'sh', '-c', 'pipewire & wireplumber & exec mutter --headless --virtual-monitor 1024x768 '
              '--wayland --wayland-display=duplora -- sh {session}'],
    # KWin's binary carries a file capability that a container may refuse: a copy carries none.
    'kwin': ['dbus-run-session', '--', '{copy}', '--x11-display', ENV['DISPLAY'], '--width', '1024', '--height', '768',
             '--socket', 'duplora', '--xwayland', '--exit-with-session', 'sh {session}'],
}


def nested(kind):
    # Starts KIND; returns the environment its clients get.
    global REMOTE
    kind = 'gnome' if kind == 'mutter' and '--nested' not in run('mutter', '--help').stdout else kind
    folder = tempfile.mkdtemp(dir=TMP)
    env = {**ENV, 'XDG_RUNTIME_DIR': folder, 'WAYLAND_DISPLAY': 'duplora'}
    open(f'{folder}/session.sh', 'w').write(f'env -0 >{folder}/env.part && mv {folder}/env.part {folder}/env && exec sleep 3600\n')
    # weston's on-screen keyboard, for touch screens, would show over the name dialog at times; its
    # panel has a terminal in the corner where the pointer rests, which a click there once started
    # and typed a name into.
    open(f'{folder}/weston.ini', 'w').write('[input-method]\npath=\n[shell]\npanel-position=none\n')
    kind == 'kwin' and shutil.copy('/usr/bin/kwin_wayland', f'{folder}/kwin_wayland')
    start(*[a.format(session=f'{folder}/session.sh', copy=f'{folder}/kwin_wayland', folder=folder) for a in COMPOSITORS[kind]], env=env)
    # A window manager here, and weston with no X11 in it, start no session: nothing to tell.
    told = {'metacity': folder, 'weston': f'{folder}/duplora'}.get(kind, f'{folder}/env')
    eventually(lambda: os.path.exists(told)) or fail(f'{kind} did not start')
    env = env if kind in ('metacity', 'weston') else dict(v.split('=', 1) for v in open(told).read().split('\0') if v)
    REMOTE = kind == 'gnome' and Remote(env)
    return env


def field(image):
    # The name dialog's empty box: a white block a box wide (217 px less its frame and its caret)
    # and more than a line high, as the only one on the screen.
    data, line, white = image.tobytes(), image.width * 3, b'\xff' * 3 * 200
    return next((((p - y * line) // 3, y) for y in range(image.height - 14) for p in runs(data, white, y * line, (y + 1) * line)
                 if all(data.startswith(white, p + k * line) for k in range(1, 14))), None)


# The three ways out: the key, the menu by mouse, and the close button at the right of a title bar,
# from the client area's corner.
EXITS = {'Ctrl+Q': lambda x, y: ['mousemove', x + 40, y + 372, 'sleep', 0.3, 'click', 1, 'key', 'ctrl+q'],
         'Game > Exit': lambda x, y: ['mousemove', x + 23, y + 8, 'sleep', 0.3, 'click', 1, 'sleep', 0.5, 'key', 'Up', 'Return'],
         'the close button': lambda x, y: ['mousemove', x + 334, y - 14, 'sleep', 0.3, 'click', 1]}


def desktop(kind, platform, players, how):
    session, game = nested(kind), (['wine'] if ENV['DUPLORA'].endswith('.exe') else []) + [ENV['DUPLORA']]
    if game[0] == 'wine':
        # The Windows build under Wine, started where no Images\ lies, names the missing picture in
        # its error box, alone on the screen, and ends with 1 once Enter closed the box.
        lost = start(*game, cwd=tempfile.mkdtemp(dir=TMP), env=session)
        eventually(lambda: run('xdotool', 'search', '--onlyvisible', '--name', '^Duplora$', env=session).stdout) or fail('no error box')
        time.sleep(1)
        Board.found(screen('00-no-pictures')) and fail('the board showed without its pictures')
        eventually(lambda: xdotool('key', 'Return') and eventually(lambda: lost.poll() is not None, 1)) and lost.returncode == 1 \
            or fail(f'the run without pictures ended with {lost.returncode}')
    # Under metacity on X11 a blind player plays by ear, with Orca.
    ear = kind == 'metacity' and platform == 'xcb' and orca(session)
    app = start(*game, env={**session, 'QT_QPA_PLATFORM': platform})
    board = eventually(lambda: Board.settled('01-start')) or fail('no board')
    # On X11 every window stands where the layout puts it (the name dialog in the middle of the
    # screen with its frame, at every opening), and the main window carries the game's icon.
    x11 = platform == 'xcb'
    props = x11 and run('xprop', '-id', placed('^Duplora$', (236, 109, 350, 385), session), 'WM_CLASS', '_NET_WM_ICON', env=session).stdout
    not x11 or '"duplora"' in props and 'Icon (64 x 64)' in props or fail(f'not the game with its icon: {props[:200]}')
    bar = ['mousemove', board.left + 40, board.top + 346, 'sleep', 0.3, 'click', 1, 'sleep', 0.3]
    for player in players.split(','):
        # A click on the status bar gives the window the keyboard, and Ctrl+N opens the name
        # dialog: both until it shows, as a compositor may still be mapping the window at the first
        # click, and the first key can reach a new window before its focus does.
        x, y = eventually(lambda: xdotool(*bar, 'key', 'ctrl+n') and eventually(lambda: field(screen('02-name')), 3)) \
            or fail('no name dialog')
        x11 and placed('^New game$', None, session)
        # The name dialog stays above the board after a click on it, and takes the name typed after
        # a click on its box, as some compositors give the keyboard to the board.
        xdotool('mousemove', 0, 0, 'mousemove', board.left + 25, board.top + 25, 'sleep', 0.3, 'click', 1,
            'sleep', 0.3, 'mousemove', 0, 0, 'sleep', 1)
        (f := field(screen('03-clicked'))) and f[1] == y and abs(f[0] - x) < 8 or fail('a click on the board hid the name dialog')
        ear and ear.quiet()
        xdotool('mousemove', x + 100, y + 6, 'sleep', 0.3, 'click', 1, 'sleep', 0.3, 'mousemove', 0, 0, 'type', '--delay', '50', player)
        # The game's clock starts as the dialog takes Enter.
        entered = time.monotonic()
        xdotool('key', 'Return')
        eventually(lambda: len(set(board.faces('04-face-down'))) == 1) or fail('the name dialog did not take the name')
        # Under KWin on X11 the window has the keyboard then, but Qt learns it is active only from
        # a click on it, as a player gives when the focus frame does not show.
        xdotool(*bar, 'mousemove', 0, 0)
        # By ear, Orca tells how to reach the cards, or names the card that has the focus.
        ear and not ear.hear(r'Tab reaches the cards|^Card \d+, face down') and fail('Orca did not tell how to reach the cards')
        board.focus = None
        attempts = play(board, ear)
        if ear:
            # At the end Orca tells the player's own time (the clock's, from Enter in the name dialog
            # to the last card's key), attempts and places, and the rows by time, whole, in one
            # utterance or more: among them this game's, at its place.
            heard = ear.hear(rf'Last game: {re.escape(player)}, (\d+) seconds, {attempts} attempts, place (\d+) by time, '
                             r'place \d+ by attempts\. By time: (.*)') or fail('Top 10 did not tell the result')
            played, row = board.pressed - entered, f'{heard[2]}. {player}, {heard[1]} seconds, {attempts} attempts.'
            abs(int(heard[1]) - played) < 3 or fail(f'{heard[1]} seconds heard after {played:.0f}')
            row in (told := heard[3] + ' ' + ear.quiet()) or fail(f'Top 10 told the rows as "{told}"')
        # "Top 10" opens above the main window, by its blue headings, and is deaf to Escape; About
        # opens with F1, by its yellow heading, and is read from its first line as laid out, wherever the
        # caret was left; Enter on OK closes each. Under weston the keyboard comes back to the main
        # window a moment after a dialog closes: F1 and the last Ctrl+Q are pressed until they take.
        # F1 goes by its key code (67): where the key map gives that key a level under Alt as well
        # (xkb-data 2.48), xdotool presses Alt with the key's name, and Alt+F1 is not F1.
        for opening, keys, title, where, colour in ([], ['Tab'], 'Top 10', (419, 105, 436, 458), b'\0\0\xff'), \
                                                  (['67'], ['Down'] + ['Tab'] * 3, 'About...', (304, 39, 462, 499), b'\xff\xff\0'):
            shown = lambda: screen('07-opened').tobytes().count(colour) > 1000
            eventually(lambda: (not opening or xdotool('key', *opening)) and eventually(shown, 3)) or fail(f'{title} did not open above the main window')
            x11 and placed(f'^{re.escape(title)}$', where, session)
            opening or xdotool('key', 'Escape', 'sleep', 1) and shown() or fail('Escape closed Top 10')
            ear and opening and not ear.hear('^Za sve igrace kojima ime ne pocinje $') and fail('About was not read from its first line')
            xdotool('key', *keys, 'Return')
            eventually(lambda: not shown() and len(set(board.faces('09-finished'))) == 18) or fail(f'OK did not close {title}')
        # Orca's status-bar command (Insert+KP_Enter twice) reads the time and the attempts the game
        # ended with, in one utterance or one after the other. Orca 48 may pass the second KP_Enter
        # on to the game too: a matched card takes it. It is pressed once Orca told the main window
        # again, and again while Orca was too busy to take two presses for one.
        if ear:
            ear.hear(r'^Duplora - .* frame')
            status = ['keydown', 'Insert', 'sleep', 0.2, 'key', 'KP_Enter', 'sleep', 0.2, 'key', 'KP_Enter', 'sleep', 0.2, 'keyup', 'Insert']
            eventually(lambda: [ear.quiet(), xdotool(*status)] and ear.hear(rf'Time: {heard[1]} s\.?\s+Attempts: {attempts}\b', 10), 40) \
                or fail('the status bar did not tell the time and attempts')
    # This desktop's way out ends the game at once, once the window has the pointer's or the
    # keyboard's attention (it is tried until then): Qt's Wayland teardown can hang a process.
    eventually(lambda: xdotool('mousemove', 0, 0, *EXITS[how](board.left - 9, board.top - 26))
               and eventually(lambda: app.poll() is not None, 1), 30) and app.returncode == 0 or fail(f'{how} ended the game with {app.returncode}')
    # Over whole games, by ear too, the game says nothing of its own.
    not ear or (said := open(f'{ENV["ARTIFACTS"]}/duplora.log').read()) == '' or fail(f'the game printed: {said[:500]}')


desktop(*sys.argv[1:])
