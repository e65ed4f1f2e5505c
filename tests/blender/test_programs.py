# The add-on's parts that need no Blender: which flags a program's --help
# offers, the arguments the dialog's options become for it, and where the
# programs are looked for. Fake programs (shell scripts) stand in for
# kestrix's, so an older and a newer program can be tried side by side.
# usage: python3 test_programs.py ADDON_DIR
import sys
sys.dont_write_bytecode = True  # nothing written into the source tree
import os
import shutil
import stat
import tempfile

# The two modules only, without the package's Blender half.
sys.path.insert(0, os.path.join(os.path.abspath(sys.argv[1]), 'kestrix_blender'))
import options  # noqa: E402
import programs  # noqa: E402

failures = []


def check(what, got, wanted):
    if got != wanted:
        failures.append(f'{what}: got {got!r}, wanted {wanted!r}')


DEFAULTS = {'style': 'ball-and-stick', 'bond_colours': 'bond', 'hydrogens': True, 'water': True, 'ball_scale': 0.5, 'bond_radius': 0.08,
            'chain': '', 'residues': '', 'frames': '', 'fps': 24}
TODAY_IMPORT = {'--ball-scale', '--bondradius', '--chain', '--no-hydrogens', '--model', '--help'}
TODAY_CLI = {'--glb', '--quiet', '--force', '--help'}
LATER_IMPORT = TODAY_IMPORT | {'--residues', '--frames', '--no-water'}
LATER_CLI = TODAY_CLI | {'--style', '--bond-colours', '--fps'}

# (what, changed options, offered flags, arguments)
CASES = [
    ('defaults, import today', {}, TODAY_IMPORT, ['--ball-scale', '0.5', '--bondradius', '0.08']),
    ('defaults, cli today', {}, TODAY_CLI, []),
    ('no hydrogens', {'hydrogens': False}, TODAY_IMPORT,
     ['--no-hydrogens', '--ball-scale', '0.5', '--bondradius', '0.08']),
    ('chains by commas and spaces', {'chain': ' A, B  C,'}, TODAY_IMPORT,
     ['--ball-scale', '0.5', '--bondradius', '0.08', '--chain', 'A', '--chain', 'B', '--chain', 'C']),
    ('a single-precision value as the dialog shows it', {'ball_scale': 0.30000001192092896}, {'--ball-scale'},
     ['--ball-scale', '0.3']),
    ('a later program spelling it --bond-radius', {'bond_radius': 0.0}, {'--bond-radius'},
     ['--bond-radius', '0']),
    ('no water waits for a program that lists it', {'water': False}, TODAY_IMPORT,
     ['--ball-scale', '0.5', '--bondradius', '0.08']),
    ('no water, once listed', {'water': False, 'hydrogens': False}, LATER_IMPORT,
     ['--no-hydrogens', '--no-water', '--ball-scale', '0.5', '--bondradius', '0.08']),
    ('residues and frames wait for a program that lists them', {'residues': 'A:10-20', 'frames': '1:9:2'},
     TODAY_IMPORT, ['--ball-scale', '0.5', '--bondradius', '0.08']),
    ('residues and frames, once listed', {'residues': 'A:10-20,30-40', 'frames': ' 1:9:2 '}, LATER_IMPORT,
     ['--ball-scale', '0.5', '--bondradius', '0.08', '--residues', 'A:10-20', '--residues', '30-40',
      '--frames', '1:9:2']),
    ('style, bond colours and rate, once listed', {'style': 'spacefill', 'bond_colours': 'atoms', 'fps': 30},
     LATER_CLI, ['--style', 'spacefill', '--bond-colours', 'atoms', '--fps', '30']),
]

for what, changed, offered, wanted in CASES:
    check(what, options.arguments(dict(DEFAULTS, **changed), offered), wanted)

HELP = '''usage: prog [-o OUT] [--ball-scale F] [--chain ID]...
  --no-hydrogens    leave hydrogen atoms out
  --frames FROM:TO[:STEP]  the frames (see --model)
  --fps=F           rate; a-b--c is no flag, nor is x--y
'''


def fake(folder, name, help_text=HELP):
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    with open(path, 'w') as f:
        f.write('#!/bin/sh\ncat <<"END"\n' + help_text + 'END\n')
    os.chmod(path, 0o755)
    return path


work = tempfile.mkdtemp()
try:
    check('flags listed', programs.offered(fake(work, 'listed')),
          {'--ball-scale', '--chain', '--no-hydrogens', '--frames', '--model', '--fps'})
    check('a program that cannot run offers nothing', programs.offered(os.path.join(work, 'missing')), set())

    # Where the programs are looked for, in order: beside the add-on, PATH,
    # the preferences' folder.
    addon = os.path.join(work, 'addon', 'kestrix_blender')
    shutil.copytree(os.path.join(sys.argv[1], 'kestrix_blender'), addon)
    sys.path[0] = addon
    del sys.modules['programs']
    import programs as copied  # noqa: E402
    onpath, prefs = os.path.join(work, 'path'), os.path.join(work, 'prefs')
    os.environ['PATH'] = onpath
    check('nowhere', copied.find('kestrix-cli', '')[0], None)
    looked = copied.find('kestrix-cli', '')[1]
    check('the places looked in', looked, [os.path.join(addon, 'bin', 'kestrix-cli'), f'PATH ({onpath})',
                                            "the add-on's preferences (no folder set)"])
    check('in the preferences folder', copied.find('kestrix-cli', prefs)[0], None)
    fake(prefs, 'kestrix-cli')
    check('in the preferences folder', copied.find('kestrix-cli', prefs)[0], os.path.join(prefs, 'kestrix-cli'))
    fake(onpath, 'kestrix-cli')
    check('PATH before the preferences', copied.find('kestrix-cli', prefs)[0], os.path.join(onpath, 'kestrix-cli'))
    beside = fake(os.path.join(addon, 'bin'), 'kestrix-cli')
    # Unpacked from a zip, the program has lost its execute bits.
    os.chmod(beside, 0o644)
    check('beside the add-on first', copied.find('kestrix-cli', prefs)[0], beside)
    check('made executable', bool(os.stat(beside).st_mode & stat.S_IXUSR), True)

    # A failing program's own lines come back; a silent failure is named.
    loud = os.path.join(work, 'loud')
    with open(loud, 'w') as f:
        f.write('#!/bin/sh\necho "wrote it" ; echo "loud: bad.pdb:3: no" >&2 ; echo >&2 ; exit 1\n')
    os.chmod(loud, 0o755)
    check('its error lines', copied.run([loud], work), (False, ['loud: bad.pdb:3: no']))
    silent = os.path.join(work, 'silent')
    with open(silent, 'w') as f:
        f.write('#!/bin/sh\nexit 3\n')
    os.chmod(silent, 0o755)
    check('a silent failure', copied.run([silent], work), (False, ['silent: failed (exit status 3)']))
    check('a program that cannot start', copied.run([os.path.join(work, 'nothing')], work)[0], False)
finally:
    shutil.rmtree(work)

for f in failures:
    print('FAILED', f)
print(f'{len(CASES)} argument cases, {"failed" if failures else "passed"}')
sys.exit(1 if failures else 0)
