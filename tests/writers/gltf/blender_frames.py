# Imports an animated kestrix glTF figure into Blender as a user does and
# checks that the action plays the description's frames: at the first, a
# middle and the last frame every atom's ball is centred where the frame
# puts the atom.
# usage: blender -b --factory-startup --python-exit-code 1 --python blender_frames.py -- \
#            DESCRIPTION.krx FILE.glb
import sys

# Debian's Blender 3.4 with Debian's numpy: the glTF importer still uses the
# alias numpy.bool, which numpy 1.24 removed.
import numpy
numpy.bool = bool

import bpy
from mathutils import Vector


def readframes(path):
    """Every frame of a coordinate-mode description: the atoms, then each
    frame annotation's, as lists in description order, in Blender's axes."""
    names, frames, current = [], [[]], None
    for raw in open(path, encoding='utf-8', errors='replace'):
        tokens = raw.split()
        if tokens[:2] == ['//@', 'frame']:
            current = [None] * len(names)
            frames.append(current)
            continue
        if tokens[:2] == ['//@', 'xyz']:
            at = names.index(tokens[2])
            values = [float(t) for t in tokens[3:]]
            for k in range(0, len(values), 3):
                x, y, z = values[k:k + 3]
                current[at + k // 3] = Vector((x, -z, y))
            continue
        cut = next((i for i, t in enumerate(tokens) if t.startswith('//')), len(tokens))
        tokens = tokens[:cut]
        if tokens and tokens[0] == '{':
            tokens = tokens[1:]
        if len(tokens) >= 6 and tokens[0].lower() == 'atom':
            names.append(tokens[1])
            x, y, z = (float(t) for t in tokens[3:6])
            frames[0].append(Vector((x, -z, y)))  # glTF's Y up is Blender's Z up
    return names, frames


krx, glb = sys.argv[sys.argv.index('--') + 1:][:2]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=glb)
names, frames = readframes(krx)
mesh = next(o for o in bpy.data.objects if o.type == 'MESH')
arm = next(o for o in bpy.data.objects if o.type == 'ARMATURE')
failures = []
if not arm.animation_data or not arm.animation_data.action:
    failures.append('the armature has no action')
groups = {g.index: g.name for g in mesh.vertex_groups}
bonds = {i for i, m in enumerate(mesh.data.materials) if m and m.name == 'bonds'}
ballvertices = set()
for p in mesh.data.polygons:
    if p.material_index not in bonds:
        ballvertices.update(p.vertices)
scene = bpy.context.scene
# glTF time t is Blender frame t * fps (frame 0 for the first key).
first = 0
for k in sorted({0, len(frames) // 2, len(frames) - 1}):
    scene.frame_set(first + k)
    depsgraph = bpy.context.evaluated_depsgraph_get()
    evaluated = mesh.evaluated_get(depsgraph)
    m = evaluated.matrix_world
    sums = {}
    for i in ballvertices:
        v = mesh.data.vertices[i]
        owner = groups[max(v.groups, key=lambda g: g.weight).group]
        s = sums.setdefault(owner, [Vector((0, 0, 0)), 0])
        s[0] += m @ evaluated.data.vertices[i].co
        s[1] += 1
    worst = 0.0
    for n, name in enumerate(names):
        centre = sums[name][0] / sums[name][1]
        worst = max(worst, (centre - frames[k][n]).length)
    print(f'frame {k + 1}: every atom within {worst:.6f} of its place')
    if worst > 1e-3:
        failures.append(f'frame {k + 1}: an atom is {worst} from its place')
for f in failures:
    print('FAILED', f)
print('ok' if not failures else 'FAILED', glb)
sys.exit(1 if failures else 0)
