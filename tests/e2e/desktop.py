#!/usr/bin/python3
# The real program under Xvfb as a player meets it, driven with xdotool and judged from the
# screen alone; every check waits for what it expects, up to a bound.
#   desktop.py game NAME mouse|keys
#                          the face-up shuffled board at 236, 109; Game > New; a whole game by a
#                          bot that remembers the faces it saw, played with the mouse or with the
#                          keyboard alone; "Top 10" read back; Help > About...; Game > Exit ending 0
#   desktop.py scaled      at twice the scale every card shows its picture pixel for pixel
#   desktop.py package     the .deb passes lintian and both validators, and its unpacked
#                          launcher starts the game from another folder
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


def start_app(program, folder, size='1024x768', **env):
    read, write = os.pipe()
    start('Xvfb', '-noreset', '-displayfd', str(write), '-screen', '0', size + 'x24', '-nolisten', 'tcp', pass_fds=[write])
    ENV['DISPLAY'] = ':' + os.read(read, 16).decode().strip()
    return start(program, cwd=folder, env={**ENV, **env})


def window(title, seconds=20):
    found = eventually(lambda: run('xdotool', 'search', '--onlyvisible', '--name', title).stdout.split(), seconds)
    return found[-1] if found else fail(f'no window "{title}"') if seconds else None


def geometry(win):
    info = run('xwininfo', '-id', win).stdout
    return [int(re.search(key + r':\s+(-?\d+)', info)[1]) for key in ('upper-left X', 'upper-left Y', 'Width', 'Height')]


def click(win, x, y):
    run('xdotool', 'mousemove', '--window', win, x, y, 'click', '1')


class Board:
    def __init__(self, scale=1, keys=False):
        self.win, self.scale, self.keys, self.focus = window('^Duplora$'), scale, keys, None
        self.x, self.y, self.width, height = geometry(self.win)
        self.bar = height - 367 * scale

    def corner(self, n):  # the top left pixel of card n's picture, 0 being the first card
        return (9 + 56 * (n % 6)) * self.scale, self.bar + (9 + 56 * (n // 6)) * self.scale

    def faces(self, name='board', inset=5):
        # Inside the keyboard's focus frame, unless the pictures are wanted whole.
        image, side, i = screen(name), 51 * self.scale, inset * self.scale
        return [image.crop((self.x + x + i, self.y + y + i, self.x + x + side - i, self.y + y + side - i)).tobytes()
                for x, y in map(self.corner, range(36))]

    def click(self, n):
        if not self.keys:
            return click(self.win, *(c + 25 for c in self.corner(n)))
        # The first Tab focuses card 1, the arrows walk the grid, Space and Enter turn a card.
        steps = ['Tab'] * (self.focus is None)
        row, col = divmod(self.focus or 0, 6)
        steps += ['Down' if n // 6 > row else 'Up'] * abs(n // 6 - row) + ['Right' if n % 6 > col else 'Left'] * abs(n % 6 - col)
        run('xdotool', 'key', '--delay', '30', *steps)
        if self.focus is None:
            time.sleep(0.5)
            screen('02-focus-face-down')
        run('xdotool', 'key', 'space' if n % 2 else 'Return')
        self.focus = n

    def menu(self, x, downs):
        click(self.win, x, self.bar // 2)
        time.sleep(0.4)
        run('xdotool', 'key', *['Down'] * downs, 'Return')


def ocr(image, box, *options):
    part = ImageOps.grayscale(image.crop(box).resize(((box[2] - box[0]) * 4, (box[3] - box[1]) * 4)))
    ImageOps.expand(part.point(lambda v: 255 * (v > 153)), 40, 255).save(f'{ENV["ARTIFACTS"]}/ocr.png')
    return run('tesseract', f'{ENV["ARTIFACTS"]}/ocr.png', '-', '--psm', '6', *options).stdout.strip()


def play(board):
    # Turns the partner of a face it remembers, else a card it has not seen; a face that moved
    # while hidden just updates its memory. A face-up card of the last mismatch takes no click
    # on its picture, so it never opens a pair. Pauses after every fourth attempt, so that hidden
    # cards have time to move.
    down, seen, matched, pending, attempts, moved = board.faces()[0], {}, set(), [], 0, 0
    hidden = lambda skip: [n for n in range(36) if n not in matched | set(skip)]
    partner = lambda n: [m for m in hidden([n]) if m in seen and seen[m] == seen.get(n)]

    def turn(n):
        nonlocal moved
        board.click(n)
        face = eventually(lambda: (f := board.faces()[n]) != down and f, 10) or fail(f'card {n + 1} did not turn')
        moved += seen.get(n, face) != face
        seen[n] = face
        return face

    while True:
        first = ([n for n in hidden(pending) if partner(n)] + [n for n in hidden(pending) if n not in seen] + hidden(pending))[0]
        face = turn(first)
        second = (partner(first) + [n for n in hidden([first]) if n not in seen] + hidden([first]))[0]
        attempts, pending = attempts + 1, [first, second]
        if len(matched) == 34:
            board.click(second)
            return attempts, moved
        if turn(second) == face:
            matched, pending = matched | {first, second}, []
        time.sleep(4.5 * (attempts % 4 == 0))


def game(player, by):
    app = start_app(ENV['DUPLORA'], ENV['SOURCE_DIR'])
    board = Board(keys=by == 'keys')
    if (board.x, board.y, board.width) != (236, 109, 350):
        fail(f'the main window stands at {board.x}, {board.y}, {board.width} wide')
    faces = eventually(lambda: (f := board.faces('01-start')) and len(set(f)) == 18 and f) or fail('no pictures')
    if all(faces[n] == faces[n + 18] for n in range(18)):
        fail('the board is not shuffled')
    # Without a window manager nothing gives the new window the keyboard; a desktop would.
    run('xdotool', 'windowfocus', '--sync', board.win)
    run('xdotool', 'key', 'ctrl+n') if board.keys else board.menu(20, 1)
    window('^New game$')
    run('xdotool', 'type', '--delay', '50', player)
    run('xdotool', 'key', 'Return')
    eventually(lambda: len(set(board.faces('02-face-down'))) == 1) or fail('the board did not turn face down')
    attempts, moved = play(board)
    top = window('^Top 10$')
    x, y, width, height = geometry(top)
    (x, y, width, height) == (419, 105, 436, 458) or fail(f'Top 10 stands at {x}, {y}, {width} x {height}')
    row = lambda image: (ocr(image, (x + 9, y + 65, x + 224, y + 82)),
                         ocr(image, (x + 321, y + 65, x + 416, y + 82), '-c', 'tessedit_char_whitelist=0123456789'))
    read = eventually(lambda: (r := row(screen('03-top10'))) and player in r[0] and r[1] == str(attempts) and r)
    print(f'{player}: {attempts} attempts, {moved} remembered faces moved; Top 10 reads {read}')
    read or fail(f'Top 10 does not list {player} with {attempts} attempts: {row(screen())}')
    player[0] not in 'Ff' or not moved or fail(f'cards moved in a game of {player}')
    run('xdotool', 'key', 'Tab', 'Return') if board.keys else click(top, 340, 432)
    eventually(lambda: len(set(board.faces('04-finished'))) == 18) or fail('the finished board lacks pairs')
    run('xdotool', 'key', 'F1') if board.keys else board.menu(68, 1)
    about = window(r'^About\.\.\.$')
    screen('05-about')
    geometry(about) == [304, 39, 462, 499] or fail(f'About stands at {geometry(about)}')
    run('xdotool', 'key', 'Tab', 'Tab', 'Tab', 'Return') if board.keys else click(about, 229, 472)
    eventually(lambda: not window(r'^About\.\.\.$', 0)) or fail('OK did not close About')
    run('xdotool', 'key', 'ctrl+q') if board.keys else board.menu(20, 2)
    app.wait(30) == 0 or fail(f'Game > Exit ended with {app.returncode}')


def scaled():
    start_app(ENV['DUPLORA'], ENV['SOURCE_DIR'], '1600x1200', QT_SCALE_FACTOR='2')
    board = Board(2)
    pictures = {Image.open(f'{ENV["SOURCE_DIR"]}/Images/{k}.bmp').convert('RGB').tobytes() for k in range(1, 19)}
    eventually(lambda: set(board.faces('scaled', 0)) <= pictures) or fail('a card is not its picture pixel for pixel')


def package():
    run('cpack', cwd=ENV['BUILD_DIR']).returncode == 0 or fail('cpack failed')
    deb, root = glob.glob(f'{ENV["BUILD_DIR"]}/duplora_*_amd64.deb')[0], tempfile.mkdtemp()
    for check in (['lintian', '--fail-on', 'error,warning', deb], ['dpkg-deb', '-x', deb, root],
                  ['desktop-file-validate', f'{root}/usr/share/applications/org.duplora.Duplora.desktop'],
                  ['appstreamcli', 'validate', '--no-net', f'{root}/usr/share/metainfo/org.duplora.Duplora.metainfo.xml']):
        (r := run(*check)).returncode == 0 or fail(f'{check[0]}: {r.stdout}{r.stderr}')
    start_app(f'{root}/usr/games/duplora', '/')
    board = Board()
    board.width == 350 and '"duplora"' in run('xprop', '-id', board.win, 'WM_CLASS').stdout or fail('not the board')


{'game': lambda: game(*sys.argv[2:4]), 'scaled': scaled, 'package': package}[sys.argv[1]]()
print('PASS')
