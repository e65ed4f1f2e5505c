# Imports kestrix glTF figures into Blender as a user does (File > Import >
# glTF 2.0, default options) and checks the skeleton Blender makes of them:
# every atom's bone runs from its parent atom's centre to the atom along the
# bond, the root's bone is short, no two bones share head and tail, the
# armature and the mesh have distinct names, and turning a bone moves its
# subtree's vertices only, about the parent atom.
# usage: blender -b --factory-startup --python-exit-code 1 --python blender_check.py -- \
#            DESCRIPTION.krx FILE.glb [DESCRIPTION.krx FILE.glb...]
# The descriptions must be in coordinate mode: the atoms' places come from them.
import math
import sys

# Debian's Blender 3.4 with Debian's numpy: the glTF importer still uses the
# alias numpy.bool, which numpy 1.24 removed.
import numpy
numpy.bool = bool

import bpy
from mathutils import Matrix, Vector


def readatoms(path):
    """The atoms of a coordinate-mode description, by name, in Blender's axes."""
    atoms = {}
    for raw in open(path, encoding='utf-8', errors='replace'):
        tokens = raw.split()
        cut = next((i for i, t in enumerate(tokens) if t.startswith('//')), len(tokens))
        tokens = tokens[:cut]
        if tokens and tokens[0] == '{':
            tokens = tokens[1:]
        while tokens and tokens[-1] == '}':
            tokens.pop()
        if len(tokens) >= 6 and tokens[0].lower() == 'atom':
            x, y, z = (float(t) for t in tokens[3:6])
            atoms[tokens[1]] = Vector((x, -z, y))  # glTF's Y up is Blender's Z up
    return atoms


def readlabels(path):
    """The residue labels of a description (//@ residue lines), by atom name."""
    labels = {}
    for raw in open(path, encoding='utf-8', errors='replace'):
        tokens = raw.split()
        if len(tokens) >= 7 and tokens[0] == '//@' and tokens[1].lower() == 'residue':
            number = tokens[4].rstrip('ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz')
            blank = lambda t: '' if t == '-' else t
            labels[tokens[2]] = {'residue': blank(tokens[3]), 'residue_number': int(number),
                                 'chain': blank(tokens[5]), 'atom': blank(tokens[6])}
    return labels


def checklabels(arm, labels):
    """Each labelled atom's bone shows its label as custom properties."""
    for name, label in labels.items():
        bone = arm.data.bones.get(name)
        pose = arm.pose.bones.get(name)
        holders = [h for h in (bone, pose) if h is not None and 'residue' in h.keys()]
        check('residue label', holders, f'bone {name} has no custom property "residue"')
        if holders:
            shown = {k: holders[0][k] for k in label if k in holders[0].keys()}
            check('residue label', shown == label, f'bone {name} shows {shown}, the description {label}')
    if labels:
        print(f'labels: {len(labels)} bones carry their residue, number, chain and atom')


failures = []


def check(what, condition, detail):
    if not condition:
        failures.append(f'{what}: {detail}')


def checkfigure(krx, glb):
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.ops.import_scene.gltf(filepath=glb)
    atoms = readatoms(krx)
    arms = [o for o in bpy.data.objects if o.type == 'ARMATURE']
    meshes = [o for o in bpy.data.objects if o.type == 'MESH']
    check('one armature', len(arms) == 1, f'{len(arms)} armatures')
    check('one mesh', len(meshes) == 1, f'{len(meshes)} meshes')
    if not arms:
        return
    arm = arms[0]
    names = [o.name for o in bpy.data.objects]
    check('distinct names', len(set(names)) == len(names) and not any('.0' in n for n in names),
          f'objects named {names}')
    bones = arm.data.bones
    world = arm.matrix_world
    head = {b.name: world @ b.head_local for b in bones}
    tail = {b.name: world @ b.tail_local for b in bones}
    longest = 0.0
    for b in bones:
        if b.name in atoms and b.parent and b.parent.name in atoms:
            longest = max(longest, (atoms[b.name] - atoms[b.parent.name]).length)
    scale = max((v.length for v in atoms.values()), default=1.0) + 1.0
    tol = 1e-4 * scale
    atombones = 0
    for b in bones:
        name = b.name
        if name.endswith('.tip'):
            atom = name[:-4]
            check('tip', b.parent is not None and b.parent.name == atom, f'{name} hangs from {b.parent}')
            check('tip at its atom', atom in atoms and (head[name] - atoms[atom]).length < tol,
                  f'{name} at {head[name]}')
            continue
        check('bone per atom', name in atoms, f'bone {name} names no atom')
        if name not in atoms:
            continue
        atombones += 1
        if b.parent is None:
            # The root: at the root atom, short, whatever the figure's place.
            check('root at its atom', (head[name] - atoms[name]).length < tol, f'{name} at {head[name]}')
            check('short root bone', 0 < b.length <= longest + tol, f'{name} is {b.length} long, longest bond {longest}')
            continue
        parent = b.parent.name
        check('bone from the parent atom', (head[name] - atoms[parent]).length < tol,
              f'{name} starts at {head[name]}, {parent} is at {atoms[parent]}')
        check('bone to its atom', (tail[name] - atoms[name]).length < tol,
              f'{name} ends at {tail[name]}, the atom is at {atoms[name]}')
    check('every atom a bone', atombones == len(atoms), f'{atombones} bones, {len(atoms)} atoms')
    ends = {}
    for b in bones:
        key = (tuple(round(c, 4) for c in head[b.name]), tuple(round(c, 4) for c in tail[b.name]))
        check('bones apart', key not in ends, f'{b.name} and {ends.get(key)} share head and tail')
        ends[key] = b.name
    checklabels(arm, readlabels(krx))
    if len(meshes) == 1:
        checkturn(arm, meshes[0], atoms)


def checkturn(arm, mesh, atoms):
    """Turns the bone with the largest subtree below the root by 60 degrees
    about its own X axis: exactly the vertices of its subtree move, each
    keeping its distance from the parent atom."""
    bones = arm.data.bones
    root = next(b for b in bones if b.parent is None)
    candidates = [b for b in bones if b.parent is not None and b.name in atoms]
    if not candidates:
        return
    bone = max(candidates, key=lambda b: len(b.children_recursive))
    subtree = {bone.name} | {c.name for c in bone.children_recursive}
    pivot = arm.matrix_world @ bone.head_local

    def positions():
        bpy.context.view_layer.update()
        depsgraph = bpy.context.evaluated_depsgraph_get()
        evaluated = mesh.evaluated_get(depsgraph)
        m = evaluated.matrix_world
        return [m @ v.co for v in evaluated.data.vertices]

    rest = positions()
    posed = arm.pose.bones[bone.name]
    posed.rotation_mode = 'XYZ'
    posed.rotation_euler = (math.radians(60), 0, 0)
    turned = positions()
    posed.rotation_euler = (0, 0, 0)
    groups = {g.index: g.name for g in mesh.vertex_groups}
    moved = 0
    for v, a, b in zip(mesh.data.vertices, rest, turned):
        owners = [groups[g.group] for g in v.groups if g.weight > 0]
        inside = all(o in subtree for o in owners)
        if any(o in subtree for o in owners) and not inside:
            # A bond's middle ring, half on each of its atoms (bonds in the
            # atoms' colours): it moves, but by half the turn.
            check('a middle ring is half moved', (a - b).length > 1e-3, f'a vertex of {owners} stayed')
        elif inside:
            check('turned about the parent atom', abs((a - pivot).length - (b - pivot).length) < 1e-4,
                  f'a vertex of {owners} changes its distance from {bone.parent.name}')
            moved += (a - b).length > 1e-3
        else:
            check('only the subtree moves', (a - b).length < 1e-4, f'a vertex of {owners} moved by {(a - b).length}')
    check('the subtree moves', moved > 0, f'turning {bone.name} moved nothing')
    print(f'turned {bone.name}: {moved} vertices of {len(subtree)} bones moved')


args = sys.argv[sys.argv.index('--') + 1:]
for i in range(0, len(args) - 1, 2):
    before = len(failures)
    checkfigure(args[i], args[i + 1])
    print(('ok ' if len(failures) == before else 'FAILED ') + args[i + 1])
for f in failures[:50]:
    print('FAILED', f)
sys.exit(1 if failures else 0)
