"""The import dialog's options and the program arguments they become.

Each option names the flags that spell it, in the order tried; it is passed
to the program whose --help lists one of them, and left out (and out of the
dialog) while neither does, so a newer program's option appears as soon as
it is installed."""
import re

# name: (flags, kind). Kinds: 'value' passes --flag VALUE; 'list' passes
# --flag ITEM for each item of a comma- or space-separated text, nothing
# when empty; 'text' passes --flag TEXT unless empty; 'without' passes the
# flag when the option is off.
OPTIONS = {
    'style': (('--style',), 'value'),
    'bond_colours': (('--bond-colours',), 'value'),
    'hydrogens': (('--no-hydrogens',), 'without'),
    'water': (('--no-water',), 'without'),
    'ball_scale': (('--ball-scale',), 'value'),
    'bond_radius': (('--bondradius', '--bond-radius'), 'value'),
    'chain': (('--chain',), 'list'),
    'residues': (('--residues',), 'list'),
    'frames': (('--frames',), 'text'),
    'fps': (('--fps',), 'value'),
}


def spelled(name, offered):
    """The flag OFFERED (a program's listed options) spells option NAME with, or None."""
    return next((f for f in OPTIONS[name][0] if f in offered), None)


def arguments(values, offered):
    """The arguments for one program: VALUES by option name, OFFERED the
    flags it lists."""
    args = []
    for name, (_, kind) in OPTIONS.items():
        flag = spelled(name, offered)
        if flag is None or name not in values:
            continue
        v = values[name]
        if kind == 'value':
            args += [flag, format_value(v)]
        elif kind == 'without':
            if not v:
                args.append(flag)
        elif kind == 'list':
            args += [a for item in re.split(r'[\s,]+', v.strip()) if item for a in (flag, item)]
        elif kind == 'text':
            if v.strip():
                args += [flag, v.strip()]
    return args


def format_value(v):
    if isinstance(v, float):
        # Blender's single-precision floats: the shortest text that reads
        # back as the value shown in the dialog.
        return f'{v:.6g}'
    return str(v)
