#!/usr/bin/python3
# The real program in an X server of its own (CTest starts it with xvfb-run) as a player meets it,
# driven with xdotool and judged from the screen alone; every check waits for what it expects, up
# to a bound.
#   desktop.py game NAME   under metacity: every window's frame where the layout puts it, the name
#                          dialog's centred at each opening, and every dialog owned by the main window;
#                          the face-up shuffled board; Game > New; a whole game from the keyboard alone
#                          by a bot that remembers the faces it saw and sees the focus frame over each
#                          card it turns; "Top 10" read back, deaf to Escape; Help > About...; Game > Exit ending 0
#   desktop.py package     the package script's .deb passes blhc, lintian and both validators; its
#                          unpacked launcher starts the game with its icon from another folder, placed
#                          as laid out with no window manager and, at twice the scale, every card its
#                          picture pixel for pixel
#   desktop.py wayland     natively under weston, Game > Exit ends the game at once, eight times in a
#                          row; the game survives a maximize by weston's key, and its board stays as
#                          laid out
# Needs DUPLORA (the program), SOURCE_DIR (with Images/), ARTIFACTS (screenshots).
import atexit, os, re, shutil, subprocess, sys, tempfile, time
from PIL import Image, ImageGrab, ImageOps

ENV, STARTED = os.environ, []
EDGES = [Image.open(f'{ENV["SOURCE_DIR"]}/Images/{k}.bmp').convert('RGB').getpixel((0, 0)) for k in range(1, 19)]
atexit.register(lambda: [p.kill() for p in STARTED])
os.makedirs(ENV['ARTIFACTS'], exist_ok=True)


def run(*args, **kw):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, **kw)


def start(*args, **kw):
    STARTED.append(subprocess.Popen(args, stdout=open(f'{ENV["ARTIFACTS"]}/{os.path.basename(args[0])}.log', 'w'),
                                    stderr=subprocess.STDOUT, **kw))
    return STARTED[-1]


def scratch():
    folder = tempfile.mkdtemp()
    atexit.register(shutil.rmtree, folder, True)
    return folder


def screen(name='screen'):
    image = ImageGrab.grab(xdisplay=ENV['DISPLAY']).convert('RGB')
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


def ended(app, seconds=5):
    # The process ended by itself, well, and soon.
    try:
        return app.wait(seconds) == 0
    except subprocess.TimeoutExpired:
        return False


def window(title, seconds=20):
    found = eventually(lambda: run('xdotool', 'search', '--onlyvisible', '--name', title).stdout.split(), seconds)
    return found[-1] if found else fail(f'no window "{title}"') if seconds else None


def extents(win):
    # The frame the window manager draws: left, right, top, bottom.
    return [*map(int, re.findall(r'\d+', run('xprop', '-id', win, '_NET_FRAME_EXTENTS').stdout))] or [0] * 4


def geometry(win, frame=True):
    # The client's place and size, or its frame's place (the client's, with no window manager).
    info = run('xwininfo', '-id', win).stdout
    x, y, width, height = (int(re.search(key + r':\s+(-?\d+)', info)[1]) for key in ('upper-left X', 'upper-left Y', 'Width', 'Height'))
    left, _, top, _ = extents(win) if frame else [0] * 4
    return x - left, y - top, width, height


def centred(win):
    # Where the window stands with its whole frame in the middle of the 1024 × 768 screen.
    _, _, width, height = geometry(win, False)
    left, right, top, bottom = extents(win)
    return (1024 - width - left - right) // 2, (768 - height - top - bottom) // 2, width, height


def placed(title, where, owner=None):
    # Where the layout puts the window (or WHERE says, asked of the window), and the window it
    # belongs to, as the window manager sees it.
    win = window(title)
    goal = lambda: where(win) if callable(where) else where
    eventually(lambda: geometry(win) == goal()) or fail(f'{title} stands at {geometry(win)}, not {goal()}')
    owner is None or f'# {hex(int(owner))}' in run('xprop', '-id', win, 'WM_TRANSIENT_FOR').stdout \
        or fail(f'{title} does not belong to the main window')
    return win


class Board:
    # Card 1's picture at FIRST on the screen, the others at the layout's pitch from it.
    def __init__(self, first, scale=1, win=None):
        (self.left, self.top), self.win, self.scale, self.focus = first, win, scale, None

    @staticmethod
    def of(win, scale=1):
        # Through the X server: the board fills the client area's 367 rows below the menu bar.
        left, top, _, height = geometry(win, False)
        return Board((left + 9 * scale, top + height - 358 * scale), scale, win)

    @staticmethod
    def found(image, scale=1):
        # Wherever a compositor put it: card 1 is the highest, then leftmost picture, found by the
        # flat edge of one of the game's pictures, a picture wide, with its twin a picture lower.
        # Only a whole board counts, every card in its picture's colours: not one fading in.
        side, data, line = 51 * scale, image.tobytes(), image.width * 3
        for y in range(image.height - side):
            hits = [p for edge in map(bytes, EDGES) for p in runs(data, edge * side, y * line, (y + 1) * line)
                    if data.startswith(edge * side, p + (side - 1) * line)]
            if hits:
                board = Board(((min(hits) - y * line) // 3, y), scale)
                return board if all(image.getpixel(c) in EDGES for c in board.corners()) else None

    def corners(self):
        return [(self.left + 56 * self.scale * (n % 6), self.top + 56 * self.scale * (n // 6)) for n in range(36)]

    def faces(self, name='board', inset=5):
        # Inside the keyboard's focus frame, unless the pictures are wanted whole; and where that
        # frame shows over a face-up card: in whatever colour the style gives it, over the flat
        # edge of the picture.
        image, side, i = screen(name), 51 * self.scale, inset * self.scale
        self.framed = [image.getpixel((x + 2 * self.scale, y + 25 * self.scale)) not in EDGES for x, y in self.corners()]
        return [image.crop((x + i, y + i, x + side - i, y + side - i)).tobytes() for x, y in self.corners()]

    def click(self, n):
        # The first Tab focuses card 1, the arrows walk the grid and stop at its edges, Space and
        # Enter turn a card.
        row, col = divmod(self.focus or 0, 6)
        steps = ['Tab', 'Up', 'Left'] * (self.focus is None) + ['Down' if n // 6 > row else 'Up'] * abs(n // 6 - row)
        run('xdotool', 'key', '--delay', '30', *steps, *['Right' if n % 6 > col else 'Left'] * abs(n % 6 - col), 'space' if n % 2 else 'Return')
        self.focus = n


def runs(data, run, start, end):
    # Where RUN stands in DATA between START and END, at whole pixels.
    p = data.find(run, start, end)
    while p >= 0:
        p % 3 or (yield p)
        p = data.find(run, p + 1, end)


def ocr(image, box):
    part = ImageOps.grayscale(image.crop(box).resize(((box[2] - box[0]) * 4, (box[3] - box[1]) * 4)))
    ImageOps.expand(part.point(lambda v: 255 * (v > 153)), 40, 255).save(f'{ENV["ARTIFACTS"]}/ocr.png')
    return run('tesseract', f'{ENV["ARTIFACTS"]}/ocr.png', '-', '--psm', '6').stdout.split()


def play(board):
    # Turns the partner of a face it remembers, else a card it has not seen; a face that moved
    # while hidden is an error, since the player's name begins with F.
    down, seen, matched, attempts = board.faces()[0], {}, set(), 0
    hidden = lambda skip: [n for n in range(36) if n not in matched | set(skip)]
    partner = lambda n: [m for m in hidden([n]) if m in seen and seen[m] == seen.get(n)]

    def turn(n):
        board.click(n)
        face = eventually(lambda: (f := board.faces()[n]) != down and f, 10) or fail(f'card {n + 1} did not turn')
        board.framed[n] or fail(f'no focus frame over card {n + 1}')
        seen.get(n, face) == face or fail(f'card {n + 1} moved while it was face down')
        seen[n] = face
        return face

    while True:
        first = ([n for n in hidden([]) if partner(n)] + [n for n in hidden([]) if n not in seen])[0]
        face = turn(first)
        second = (partner(first) + [n for n in hidden([first]) if n not in seen])[0]
        attempts += 1
        if len(matched) == 34:  # the last card: "Top 10" opens over the board
            board.click(second)
            return attempts
        if turn(second) == face:
            matched |= {first, second}


def game(player):
    start('metacity', '--sm-disable')
    app = start(ENV['DUPLORA'], cwd=ENV['SOURCE_DIR'])
    board = Board.of(placed('^Duplora$', (236, 109, 350, 385)))
    faces = eventually(lambda: (f := board.faces('01-start')) and len(set(f)) == 18 and f) or fail('no pictures')
    all(faces[n] == faces[n + 18] for n in range(18)) and fail('the board is not shuffled')
    # Metacity gives a window started without a user's action no keyboard; a player clicks on it.
    run('xdotool', 'windowactivate', '--sync', board.win)
    # The name dialog stands in the middle of the screen with its frame, at every opening.
    run('xdotool', 'key', 'ctrl+n')
    placed('^New game$', centred, board.win)
    run('xdotool', 'key', 'Escape')
    eventually(lambda: not window('^New game$', 0)) or fail('Escape left the name dialog open')
    run('xdotool', 'key', 'ctrl+n')
    placed('^New game$', centred, board.win)
    run('xdotool', 'type', '--delay', '50', player)
    run('xdotool', 'key', 'Return')
    eventually(lambda: len(set(board.faces('02-face-down'))) == 1) or fail('the board did not turn face down')
    attempts = play(board)
    x, y, _, _ = geometry(placed('^Top 10$', (419, 105, 436, 458), board.win), False)
    row = lambda image: ocr(image, (x + 9, y + 65, x + 416, y + 82))  # the first by time: name, time, attempts
    eventually(lambda: (r := row(screen('03-top10'))) and r[0] == player and r[-1] == str(attempts)) \
        or fail(f'Top 10 does not list {player} with {attempts} attempts: {row(screen())}')
    run('xdotool', 'key', 'Escape', 'sleep', 1)
    window('^Top 10$', 0) or fail('Escape closed Top 10')
    run('xdotool', 'key', 'Tab', 'Return')
    eventually(lambda: not window('^Top 10$', 0) and len(set(board.faces('04-finished'))) == 18) or fail('the finished board lacks pairs')
    run('xdotool', 'key', 'F1')
    placed(r'^About\.\.\.$', (304, 39, 462, 499), board.win)
    run('xdotool', 'key', 'Tab', 'Tab', 'Tab', 'Return')
    eventually(lambda: not window(r'^About\.\.\.$', 0)) or fail('OK did not close About')
    run('xdotool', 'key', 'ctrl+q')
    ended(app) or fail(f'Game > Exit ended with {app.returncode}')


def package():
    # The package script's build, with -Werror as in every build of ours, passes blhc and lintian.
    out = f'{ENV["SOURCE_DIR"]}/build-package'
    (r := run('bash', f'{ENV["SOURCE_DIR"]}/scripts/package.sh', env={**ENV, 'DEB_CXXFLAGS_MAINT_APPEND': '-Werror'})).returncode == 0 \
        or fail(f'the package did not build: {r.stderr}')
    deb, root = r.stdout.split()[-1], scratch()
    for check in (['blhc', '--all', f'{out}/build.log'], ['lintian', '--fail-on', 'error,warning', deb],
                  ['dpkg-deb', '-x', deb, root],
                  ['desktop-file-validate', f'{root}/usr/share/applications/org.duplora.Duplora.desktop'],
                  ['appstreamcli', 'validate', '--no-net', f'{root}/usr/share/metainfo/org.duplora.Duplora.metainfo.xml']):
        (r := run(*check)).returncode == 0 or fail(f'{check[0]}: {r.stdout}{r.stderr}')
    start(f'{root}/usr/games/duplora', cwd='/', env={**ENV, 'QT_SCALE_FACTOR': '2'})
    board = Board.of(placed('^Duplora$', (472, 218, 700, 770)), 2)
    props = run('xprop', '-id', board.win, 'WM_CLASS', '_NET_WM_ICON').stdout
    '"duplora"' in props and 'Icon (64 x 64)' in props or fail(f'not the game with its icon: {props[:200]}')
    pictures = {Image.open(f'{ENV["SOURCE_DIR"]}/Images/{k}.bmp').convert('RGB').tobytes() for k in range(1, 19)}
    eventually(lambda: set(board.faces('scaled', 0)) <= pictures) or fail('a card is not its picture pixel for pixel')


def wayland():
    env = {**ENV, 'XDG_RUNTIME_DIR': scratch()}
    start('weston', '--backend=x11-backend.so', '--socket=duplora', '--width=1000', '--height=740', env=env)
    eventually(lambda: os.path.exists(f'{env["XDG_RUNTIME_DIR"]}/duplora')) or fail('weston did not start')
    run('xdotool', 'mousemove', 0, 0)  # weston's pointer follows into its panel, off the board
    game = lambda: start(ENV['DUPLORA'], cwd=ENV['SOURCE_DIR'], env={**env, 'WAYLAND_DISPLAY': 'duplora', 'QT_QPA_PLATFORM': 'wayland'})
    # Qt's Wayland teardown can hang a process now and then: every exit here ends it at once, once
    # the keyboard has come to the new window (the key is pressed until it has).
    for n in range(8):
        app = game()
        eventually(lambda: Board.found(screen('wayland-start'))) or fail('no board')
        eventually(lambda: run('xdotool', 'key', 'ctrl+q') and ended(app, 1), 10) or fail(f'Game > Exit {n + 1} ended with {app.returncode}')
        eventually(lambda: not Board.found(screen('closed'))) or fail('the board stayed after the game ended')
    app = game()
    first = eventually(lambda: Board.found(screen('wayland-start'))) or fail('no board')
    board = first.faces('wayland-start', 0)
    # A click on the status bar gives the window the keyboard; then weston's own key for maximize:
    # the board follows the window into the screen's corner, and stays as it was there, also once
    # weston had time to end a program that broke its rules.
    run('xdotool', 'mousemove', first.left + 40, first.top + 346, 'sleep', 0.3, 'click', 1, 'sleep', 0.3, 'mousemove', 0, 0)
    run('xdotool', 'key', 'super+shift+m')
    kept = lambda: (b := Board.found(screen('maximized'))) and b.left < first.left and b.top < first.top and b.faces('maximized', 0) == board
    eventually(kept) or fail('the window did not maximize, or its board changed')
    time.sleep(2.5)
    app.poll() is None and kept() or fail('a maximize ended the program or moved its board')
    run('xdotool', 'key', 'ctrl+q')
    ended(app) or fail(f'Game > Exit ended with {app.returncode}')


{'game': lambda: game(sys.argv[2]), 'package': package, 'wayland': wayland}[sys.argv[1]]()
