#!/usr/bin/python3
# The real program in an X server of its own (CTest starts it with xvfb-run) as a player meets it,
# driven with xdotool and judged from the screen alone; every check waits for what it expects, up
# to a bound.
#   desktop.py game NAME   under metacity: every window's frame where the layout puts it; the face-up
#                          shuffled board; Game > New; a whole game from the keyboard alone by a bot
#                          that remembers the faces it saw and sees the focus frame over each card it
#                          turns; "Top 10" read back, deaf to Escape; Help > About...; Game > Exit ending 0
#   desktop.py package     the .deb passes lintian and both validators; its unpacked launcher starts
#                          the game from another folder, placed as laid out with no window manager
#                          and, at twice the scale, every card its picture pixel for pixel
#   desktop.py wayland     natively under weston, the game survives a maximize, and its board stays
#                          as laid out
# Needs DUPLORA (the program), SOURCE_DIR (with Images/), BUILD_DIR, ARTIFACTS (screenshots).
import atexit, glob, os, re, subprocess, sys, tempfile, time
from PIL import Image, ImageGrab, ImageOps

ENV, STARTED = os.environ, []
atexit.register(lambda: [p.kill() for p in STARTED])
os.makedirs(ENV['ARTIFACTS'], exist_ok=True)


def run(*args, **kw):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, **kw)


def start(*args, **kw):
    STARTED.append(subprocess.Popen(args, stdout=open(f'{ENV["ARTIFACTS"]}/{os.path.basename(args[0])}.log', 'w'),
                                    stderr=subprocess.STDOUT, **kw))
    return STARTED[-1]


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


def window(title, seconds=20):
    found = eventually(lambda: run('xdotool', 'search', '--onlyvisible', '--name', title).stdout.split(), seconds)
    return found[-1] if found else fail(f'no window "{title}"') if seconds else None


def geometry(win, frame=True):
    # The client's place and size, or its frame's place (the client's, with no window manager).
    info, extents = run('xwininfo', '-id', win).stdout, run('xprop', '-id', win, '_NET_FRAME_EXTENTS').stdout * frame
    x, y, width, height = (int(re.search(key + r':\s+(-?\d+)', info)[1]) for key in ('upper-left X', 'upper-left Y', 'Width', 'Height'))
    left, _, top, _ = map(int, re.findall(r'\d+', extents) or [0] * 4)
    return x - left, y - top, width, height


def placed(title, where):
    win = window(title)
    eventually(lambda: geometry(win) == where) or fail(f'{title} stands at {geometry(win)}, not {where}')
    return win


class Board:
    def __init__(self, win, scale=1):
        self.left, top, _, height = geometry(win, False)
        self.win, self.scale, self.focus, self.top = win, scale, None, top + height - 367 * scale

    def faces(self, name='board', inset=5):
        # Inside the keyboard's focus frame, unless the pictures are wanted whole; and where that
        # frame shows, in the default style's highlight colour.
        image, side, i = screen(name), 51 * self.scale, inset * self.scale
        corners = [(self.left + (9 + 56 * (n % 6)) * self.scale, self.top + (9 + 56 * (n // 6)) * self.scale) for n in range(36)]
        self.framed = [image.getpixel((x + 2 * self.scale, y + 25 * self.scale)) == (48, 140, 198) for x, y in corners]
        return [image.crop((x + i, y + i, x + side - i, y + side - i)).tobytes() for x, y in corners]

    def click(self, n):
        # The first Tab focuses card 1, the arrows walk the grid and stop at its edges, Space and
        # Enter turn a card.
        row, col = divmod(self.focus or 0, 6)
        steps = ['Tab', 'Up', 'Left'] * (self.focus is None) + ['Down' if n // 6 > row else 'Up'] * abs(n // 6 - row)
        run('xdotool', 'key', '--delay', '30', *steps, *['Right' if n % 6 > col else 'Left'] * abs(n % 6 - col), 'space' if n % 2 else 'Return')
        self.focus = n


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
    board = Board(placed('^Duplora$', (236, 109, 350, 385)))
    faces = eventually(lambda: (f := board.faces('01-start')) and len(set(f)) == 18 and f) or fail('no pictures')
    all(faces[n] == faces[n + 18] for n in range(18)) and fail('the board is not shuffled')
    # Metacity gives a window started without a user's action no keyboard; a player clicks on it.
    run('xdotool', 'windowactivate', '--sync', board.win)
    run('xdotool', 'key', 'ctrl+n')
    window('^New game$')
    run('xdotool', 'type', '--delay', '50', player)
    run('xdotool', 'key', 'Return')
    eventually(lambda: len(set(board.faces('02-face-down'))) == 1) or fail('the board did not turn face down')
    attempts = play(board)
    x, y, _, _ = geometry(placed('^Top 10$', (419, 105, 436, 458)), False)
    row = lambda image: ocr(image, (x + 9, y + 65, x + 416, y + 82))  # the first by time: name, time, attempts
    eventually(lambda: (r := row(screen('03-top10'))) and r[0] == player and r[-1] == str(attempts)) \
        or fail(f'Top 10 does not list {player} with {attempts} attempts: {row(screen())}')
    run('xdotool', 'key', 'Escape', 'sleep', 1)
    window('^Top 10$', 0) or fail('Escape closed Top 10')
    run('xdotool', 'key', 'Tab', 'Return')
    eventually(lambda: not window('^Top 10$', 0) and len(set(board.faces('04-finished'))) == 18) or fail('the finished board lacks pairs')
    run('xdotool', 'key', 'F1')
    placed(r'^About\.\.\.$', (304, 39, 462, 499))
    run('xdotool', 'key', 'Tab', 'Tab', 'Tab', 'Return')
    eventually(lambda: not window(r'^About\.\.\.$', 0)) or fail('OK did not close About')
    run('xdotool', 'key', 'ctrl+q')
    app.wait(30) == 0 or fail(f'Game > Exit ended with {app.returncode}')


def package():
    run('cpack', cwd=ENV['BUILD_DIR']).returncode == 0 or fail('cpack failed')
    deb, root = glob.glob(f'{ENV["BUILD_DIR"]}/duplora_*_amd64.deb')[0], tempfile.mkdtemp()
    for check in (['lintian', '--fail-on', 'error,warning', deb], ['dpkg-deb', '-x', deb, root],
                  ['desktop-file-validate', f'{root}/usr/share/applications/org.duplora.Duplora.desktop'],
                  ['appstreamcli', 'validate', '--no-net', f'{root}/usr/share/metainfo/org.duplora.Duplora.metainfo.xml']):
        (r := run(*check)).returncode == 0 or fail(f'{check[0]}: {r.stdout}{r.stderr}')
    start(f'{root}/usr/games/duplora', cwd='/', env={**ENV, 'QT_SCALE_FACTOR': '2'})
    board = Board(placed('^Duplora$', (472, 218, 700, 770)), 2)
    '"duplora"' in run('xprop', '-id', board.win, 'WM_CLASS').stdout or fail('not the game')
    pictures = {Image.open(f'{ENV["SOURCE_DIR"]}/Images/{k}.bmp').convert('RGB').tobytes() for k in range(1, 19)}
    eventually(lambda: set(board.faces('scaled', 0)) <= pictures) or fail('a card is not its picture pixel for pixel')


def wayland():
    env = {**ENV, 'XDG_RUNTIME_DIR': tempfile.mkdtemp()}
    start('weston', '--backend=x11-backend.so', '--socket=duplora', '--width=1000', '--height=740', env=env)
    eventually(lambda: os.path.exists(f'{env["XDG_RUNTIME_DIR"]}/duplora')) or fail('weston did not start')
    app = start(ENV['DUPLORA'], cwd=ENV['SOURCE_DIR'], env={**env, 'WAYLAND_DISPLAY': 'duplora', 'QT_QPA_PLATFORM': 'wayland'})
    # Qt draws the window's frame there: a 30-pixel title bar and 3-pixel edges in the window's
    # grey. Weston's panel takes the top 32 rows, and weston follows the pointer's moves, not its
    # place, so the move starts from the corner, where the pointer then waits.
    frame = lambda name: screen(name).crop((0, 32, 1000, 740)).point(lambda v: 255 * (v == 239)).convert('L').point(lambda v: 255 * (v == 255)).getbbox()
    # The 36 cells, each where the layout puts it in the board's corner.
    cards = lambda f, name: (lambda image: [image.crop((x, y, x + 53, y + 53)).tobytes() for x, y in
                             ((f[0] + 11 + 56 * (n % 6), f[1] + 88 + 56 * (n // 6)) for n in range(36))])(screen(name))
    pointer = lambda x, y: run('xdotool', 'mousemove', 0, 0, 'sleep', 0.3, 'mousemove', x, y + 32, 'sleep', 0.3, 'click', 1, 'sleep', 0.3, 'mousemove', 0, 0)
    f = eventually(lambda: frame('wayland-start')) or fail('no window')
    board = eventually(lambda: len(set(c := cards(f, 'wayland-start'))) >= 18 and c) or fail('no pictures')
    pointer(f[2] - 40, f[1] + 15)  # the maximize button
    f = eventually(lambda: (g := frame('maximized')) and g[2] - g[0] > 900 and g) or fail('the window did not maximize')
    # The pointer may have covered a card before; a board that moved matches none.
    time.sleep(2.5)
    app.poll() is None and sum(map(bytes.__eq__, cards(f, 'maximized'), board)) >= 35 or fail('a maximize ended the program or moved its board')


{'game': lambda: game(sys.argv[2]), 'package': package, 'wayland': wayland}[sys.argv[1]]()
