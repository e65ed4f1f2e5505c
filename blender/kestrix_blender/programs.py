"""Finding the kestrix programs, learning the options they offer, running them.

Nothing here touches Blender, so the add-on's dialog and its operator share
one picture of what the installed programs can do."""
import os
import re
import shutil
import stat
import subprocess

PROGRAMS = ('kestrix-import', 'kestrix-cli')


def _exe(name):
    return name + '.exe' if os.name == 'nt' else name


def _runnable(path):
    """A program file beside the add-on may have lost its execute bits: an
    add-on installed from a zip is unpacked by Python's zipfile, which keeps
    no permissions."""
    if not os.path.isfile(path):
        return False
    if os.name != 'nt' and not os.access(path, os.X_OK):
        try:
            mode = os.stat(path).st_mode
            os.chmod(path, mode | stat.S_IXUSR | stat.S_IXGRP | stat.S_IXOTH)
        except OSError:
            return False
    return os.access(path, os.X_OK) or os.name == 'nt'


def bundled_folder():
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), 'bin')


def find(name, preferred_folder=''):
    """Returns (path, places looked): beside the add-on, then on PATH, then
    the folder the add-on's preferences name."""
    looked = []
    here = os.path.join(bundled_folder(), _exe(name))
    looked.append(here)
    if _runnable(here):
        return here, looked
    onpath = shutil.which(_exe(name))
    looked.append('PATH (' + os.environ.get('PATH', '') + ')')
    if onpath:
        return onpath, looked
    if preferred_folder:
        mine = os.path.join(bpath(preferred_folder), _exe(name))
        looked.append(mine)
        if _runnable(mine):
            return mine, looked
    else:
        looked.append("the add-on's preferences (no folder set)")
    return None, looked


def bpath(folder):
    """Blender writes relative folders as //name; the programs' folder is
    taken as written otherwise."""
    if folder.startswith('//'):
        try:
            import bpy
            return bpy.path.abspath(folder)
        except ImportError:
            return folder[2:]
    return os.path.expanduser(folder)


_offered = {}


def offered(path):
    """The long options PATH's --help lists, cached while the file stays the same."""
    try:
        key = (path, os.stat(path).st_mtime_ns)
    except OSError:
        return set()
    if key not in _offered:
        try:
            done = subprocess.run([path, '--help'], capture_output=True, text=True, timeout=30)
            text = done.stdout + done.stderr
        except (OSError, subprocess.SubprocessError):
            text = ''
        _offered[key] = set(re.findall(r'(?<![\w-])--[a-z][a-z0-9-]*', text))
    return _offered[key]


def run(args, folder):
    """Runs a program in FOLDER; returns (ok, the lines it printed on its
    error stream), its messages worded as it words them."""
    try:
        done = subprocess.run(args, cwd=folder, capture_output=True, text=True,
                              errors='replace', timeout=600)
    except (OSError, subprocess.SubprocessError) as e:
        return False, [f'{os.path.basename(args[0])}: could not be run: {e}']
    lines = [line for line in done.stderr.splitlines() if line.strip()]
    if done.returncode != 0 and not lines:
        lines = [f'{os.path.basename(args[0])}: failed (exit status {done.returncode})']
    return done.returncode == 0, lines
