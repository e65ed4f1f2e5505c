# Installs the add-on's zip into Blender's (fresh) user folder, enables it and
# imports molecules through its operator as File > Import > Molecule
# (kestrix) does, checking each figure: one armature drawn in front, the
# bones that bind no vertex hidden and the others shown, one per atom, the
# mesh skinned to the armature, a turned bone moving its subtree only, the
# molecule selected, the objects named after the molecule, the temporary
# folder gone; a bad file and a file of too many atoms refused with the
# program's own message (the second with its hint) and nothing left; the programs looked for where the
# report says; a file with frames as the armature's action over the scene's
# frame range, each frame's atoms where the file puts them.
# usage: blender -b --python-exit-code 1 --python check.py -- ZIP VERSION BAD_FILE WORK_DIR \
#            FILE ATOMS [FILE ATOMS...]
import math
import os
import sys
import tempfile

import bpy

args = sys.argv[sys.argv.index('--') + 1:]
zipfile, version, badfile, work = args[:4]
cases = [(args[i], int(args[i + 1])) for i in range(4, len(args) - 1, 2)]

failures = []


def check(what, condition, detail=''):
    if not condition:
        failures.append(f'{what}: {detail}')
    return condition


def empty():
    for kind in ('objects', 'meshes', 'armatures', 'materials', 'actions', 'images'):
        collection = getattr(bpy.data, kind)
        for d in list(collection):
            collection.remove(d)


def leftovers():
    return [n for n in os.listdir(tempfile.gettempdir()) if n.startswith('kestrix')]


def kestrix(path, **options):
    """Runs the operator; returns (finished, the error it reported or None)."""
    try:
        return 'FINISHED' in bpy.ops.import_scene.kestrix(filepath=path, **options), None
    except RuntimeError as e:
        return False, str(e)


def bound(mesh):
    names = {g.index: g.name for g in mesh.vertex_groups}
    return {names[g.group] for v in mesh.data.vertices for g in v.groups if g.weight > 0}


def figurename(path):
    """The name the programs give the figure of PATH: a description's own
    (its name instruction, else "molecule"), else the file's name without
    its suffixes, in the letters, digits and '_' a name may hold."""
    base = os.path.basename(path)
    if base.lower().endswith('.krx'):
        with open(path) as f:
            named = [line.split()[1] for line in f if line.split()[:1] == ['name'] and len(line.split()) > 1]
        return named[0] if named else 'molecule'
    if base.lower().endswith('.gz'):
        base = base[:-3]
    stem = ''.join(c for c in os.path.splitext(base)[0] if c.isascii() and (c.isalnum() or c == '_'))
    return stem or 'molecule'


def checkfigure(what, atoms, path):
    arms = [o for o in bpy.data.objects if o.type == 'ARMATURE']
    meshes = [o for o in bpy.data.objects if o.type == 'MESH']
    if not check(f'{what}: one armature', len(arms) == 1, f'{len(arms)} armatures'):
        return None
    arm = arms[0]
    name = figurename(path)
    check(f'{what}: named after the molecule', arm.name == name and [m.name for m in meshes] == [name + '_mesh'],
          f'armature {arm.name}, meshes {[m.name for m in meshes]}, the molecule is {name}')
    check(f'{what}: in front', arm.show_in_front, 'the armature is drawn inside the balls')
    skinned = [m for m in meshes if any(x.type == 'ARMATURE' and x.object is arm for x in m.modifiers)]
    check(f'{what}: skinned', len(skinned) == len(meshes) == 1, f'{len(skinned)} of {len(meshes)} meshes')
    check(f'{what}: selected', set(bpy.context.selected_objects) == set(bpy.data.objects),
          f'{[o.name for o in bpy.context.selected_objects]} selected')
    check(f'{what}: active', bpy.context.view_layer.objects.active is arm, 'the armature is not active')
    if not skinned:
        return arm
    binding = bound(skinned[0])
    shown = [b for b in arm.data.bones if not b.hide]
    for b in arm.data.bones:
        check(f'{what}: hidden when it binds nothing', b.hide == (b.name not in binding),
              f'{b.name} hide={b.hide}')
    check(f'{what}: a bone shown per atom', len(shown) == atoms, f'{len(shown)} bones shown, {atoms} atoms')
    checkturn(what, arm, skinned[0])
    return arm


def checkturn(what, arm, mesh):
    """Turns the shown bone with the largest subtree below the root by 60
    degrees: exactly the vertices of its subtree move, about its head."""
    bones = [b for b in arm.data.bones if b.parent is not None and not b.hide]
    if not bones:
        return
    bone = max(bones, key=lambda b: len(b.children_recursive))
    subtree = {bone.name} | {c.name for c in bone.children_recursive}
    pivot = arm.matrix_world @ bone.head_local

    def positions():
        bpy.context.view_layer.update()
        evaluated = mesh.evaluated_get(bpy.context.evaluated_depsgraph_get())
        return [evaluated.matrix_world @ v.co for v in evaluated.data.vertices]

    rest = positions()
    posed = arm.pose.bones[bone.name]
    # Turned by Euler angles, then given back its own mode: an action keys
    # the quaternion, which a bone left in Euler mode would ignore.
    mode = posed.rotation_mode
    posed.rotation_mode = 'XYZ'
    posed.rotation_euler = (math.radians(60), 0, 0)
    turned = positions()
    posed.rotation_euler = (0, 0, 0)
    posed.rotation_mode = mode
    groups = {g.index: g.name for g in mesh.vertex_groups}
    moved = 0
    for v, a, b in zip(mesh.data.vertices, rest, turned):
        owners = {groups[g.group] for g in v.groups if g.weight > 0}
        if owners & subtree and not owners <= subtree:
            # A bond's middle ring, bound half and half to both its atoms
            # (bonds in the atoms' colours): it moves by half the turn.
            check(f'{what}: a middle ring half moved', (a - b).length > 1e-3, f'a vertex of {owners} stayed')
        elif owners & subtree:
            check(f'{what}: turned about the bone head', abs((a - pivot).length - (b - pivot).length) < 1e-4,
                  f'a vertex of {owners} changes its distance from {bone.parent.name}')
            moved += (a - b).length > 1e-3
        else:
            check(f'{what}: only the subtree moves', (a - b).length < 1e-4, f'a vertex of {owners} moved')
    check(f'{what}: the subtree moves', moved > 0, f'turning {bone.name} moved nothing')
    print(f'turned {what} {bone.name}: {moved} vertices of {len(subtree)} bones moved')


def figure(path, atoms, **options):
    what = os.path.basename(path)
    before = len(failures)
    empty()
    done, error = kestrix(path, **options)
    if check(f'{what}: imported', done, error):
        checkfigure(what, atoms, path)
    check(f'{what}: temporary folder removed', not leftovers(), f'{leftovers()} left')
    print(('ok ' if len(failures) == before else 'FAILED ') + what)
    return done


def install():
    bpy.ops.preferences.addon_install(filepath=zipfile)
    bpy.ops.preferences.addon_enable(module='kestrix_blender')
    import kestrix_blender
    where = os.path.dirname(kestrix_blender.__file__)
    check('installed into the user folder', where.startswith(os.environ['BLENDER_USER_SCRIPTS']), where)
    check('the add-on version', '.'.join(map(str, kestrix_blender.bl_info['version'])) == version,
          f"{kestrix_blender.bl_info['version']}, the programs are {version}")
    check('the operator', hasattr(bpy.ops.import_scene, 'kestrix'), 'bpy.ops.import_scene.kestrix is missing')
    print('ok installed')
    return kestrix_blender, where


def badfile_refused():
    before = len(failures)
    empty()
    done, error = kestrix(badfile)
    # kestrix-import's own words: "malformed line: FILE:LINE: ..."
    check('bad file refused', not done and error is not None and 'malformed line' in error
          and os.path.basename(badfile) in error, f'finished={done}, report {error!r}')
    check('bad file leaves no object', len(bpy.data.objects) == 0, f'{len(bpy.data.objects)} objects')
    check('bad file: temporary folder removed', not leftovers(), f'{leftovers()} left')
    print(('ok ' if len(failures) == before else 'FAILED ') + 'bad file')


def too_many_refused():
    """1,200 atoms, half of them hydrogen: kestrix-import's refusal, with
    its hint, is the report."""
    before = len(failures)
    path = os.path.join(work, 'crowd.xyz')
    with open(path, 'w') as f:
        f.write('1200\ncrowd\n')
        f.writelines(f"{'CH'[i % 2]} {i % 10 * 1.5:.1f} {i // 10 % 10 * 1.5:.1f} {i // 100 * 1.5:.1f}\n"
                     for i in range(1200))
    empty()
    done, error = kestrix(path)
    wanted = ('kestrix-import: too many atoms: ' + path + ' has 1200 atoms, a figure takes at most 1024; '
              '--no-hydrogens leaves out its 600 hydrogen atoms')
    check('too many atoms refused', not done and error is not None and wanted in error,
          f'finished={done}, report {error!r}')
    check('too many atoms leaves no object', len(bpy.data.objects) == 0, f'{len(bpy.data.objects)} objects')
    check('too many atoms: temporary folder removed', not leftovers(), f'{leftovers()} left')
    print(('ok ' if len(failures) == before else 'FAILED ') + 'too many atoms')


def programs_looked_for(where, krx, atoms):
    """Without the bundled programs the report names where it looked; the
    preferences' folder then finds them."""
    before = len(failures)
    bundled = os.path.join(where, 'bin')
    away = os.path.join(work, 'programs')
    os.rename(bundled, away)
    prefs = bpy.context.preferences.addons['kestrix_blender'].preferences
    try:
        empty()
        done, error = kestrix(krx)
        check('no programs: refused', not done and error and 'kestrix-cli not found' in error
              and bundled in error and 'PATH' in error, repr(error))
        check('no programs: no object', len(bpy.data.objects) == 0)
        prefs.programs_folder = away
        figure(krx, atoms)
    finally:
        prefs.programs_folder = ''
        os.rename(away, bundled)
    print(('ok ' if len(failures) == before else 'FAILED ') + 'programs looked for')


def frames_case(addon):
    path, _ = addon.programs.find('kestrix-import')
    if '--frames' not in addon.programs.offered(path):
        print('skipped frames: kestrix-import does not list --frames')
        return
    # Three frames of a water molecule whose bonds stretch and bend.
    frames = [
        [('O', 0.0, 0.0, 0.1173), ('H', 0.0, 0.7572, -0.4692), ('H', 0.0, -0.7572, -0.4692)],
        [('O', 0.0, 0.0, 0.1173), ('H', 0.0, 0.8100, -0.4000), ('H', 0.1, -0.7000, -0.5200)],
        [('O', 0.0, 0.0, 0.1173), ('H', 0.2, 0.7000, -0.5500), ('H', 0.0, -0.9000, -0.3000)],
    ]
    path = os.path.join(work, 'wobble.xyz')
    with open(path, 'w') as f:
        for k, atoms in enumerate(frames):
            f.write(f'{len(atoms)}\nframe {k + 1}\n')
            f.writelines(f'{e} {x:.4f} {y:.4f} {z:.4f}\n' for e, x, y, z in atoms)
    before = len(failures)
    if not figure(path, 3, fps=10):
        return
    arm = next(o for o in bpy.data.objects if o.type == 'ARMATURE')
    scene = bpy.context.scene
    action = arm.animation_data.action if arm.animation_data else None
    if not check('frames: an action on the armature', action is not None):
        return
    check('frames: the action spans the frames', tuple(round(x) for x in action.frame_range) == (1, 3),
          f'{tuple(action.frame_range)}')
    check('frames: the scene plays them', (scene.frame_start, scene.frame_end) == (1, 3),
          f'{scene.frame_start}..{scene.frame_end}')
    check('frames: at their rate', scene.render.fps == 10 and scene.render.fps_base == 1.0,
          f'{scene.render.fps}/{scene.render.fps_base}')

    def distances(points):
        return sorted((a - b).length for i, a in enumerate(points) for b in points[i + 1:])

    from mathutils import Vector
    mesh = next(o for o in bpy.data.objects if o.type == 'MESH')
    groups = {g.index: g.name for g in mesh.vertex_groups}
    bonds = {i for i, m in enumerate(mesh.data.materials) if m and m.name == 'bonds'}
    balls = {v for p in mesh.data.polygons if p.material_index not in bonds for v in p.vertices}
    for k, atoms in enumerate(frames):
        scene.frame_set(k + 1)
        # Where the user sees each atom: the centre of its ball as skinned.
        evaluated = mesh.evaluated_get(bpy.context.evaluated_depsgraph_get())
        sums = {}
        for i in balls:
            owner = groups[max(mesh.data.vertices[i].groups, key=lambda g: g.weight).group]
            s = sums.setdefault(owner, [Vector((0, 0, 0)), 0])
            s[0] += evaluated.matrix_world @ evaluated.data.vertices[i].co
            s[1] += 1
        placed = [total / n for total, n in sums.values()]
        wanted = distances([Vector((x, y, z)) for _, x, y, z in atoms])
        got = distances(placed)
        check(f'frames: frame {k + 1} as the file has it', len(got) == len(wanted)
              and all(abs(a - b) < 2e-3 for a, b in zip(got, wanted)), f'{got} for {wanted}')
    print(('ok ' if len(failures) == before else 'FAILED ') + 'frames')


def animation_tidied(addon, krx):
    """An animated figure, written here with Blender's own glTF exporter
    (keys at frames 0, 1 and 2 at 10 frames a second: glTF times 0, 0.1 and
    0.2), imported and tidied as the operator does: its first frame lands on
    frame 1, the action is the armature's and the scene plays its frames."""
    before = len(failures)
    empty()
    if not kestrix(krx)[0]:
        return
    scene = bpy.context.scene
    scene.render.fps, scene.render.fps_base = 10, 1.0
    arm = next(o for o in bpy.data.objects if o.type == 'ARMATURE')
    bone = next(p for p in arm.pose.bones if p.parent is not None and not arm.data.bones[p.name].hide)
    bone.rotation_mode = 'XYZ'
    name = bone.name
    # A joint's extras (kestrix's residue labels) become the bone's custom
    # properties.
    arm.data.bones[name]['residue'] = 'GLY 1'
    turns = [0.0, 0.5, 1.2]
    for frame, angle in enumerate(turns):
        bone.rotation_euler = (angle, 0, 0)
        bone.keyframe_insert('rotation_euler', frame=frame)
    scene.frame_start, scene.frame_end = 0, 2
    glb = os.path.join(work, 'turning.glb')
    bpy.ops.export_scene.gltf(filepath=glb, export_format='GLB', export_animations=True, export_extras=True)
    empty()
    scene.frame_start, scene.frame_end = 40, 50
    bpy.ops.import_scene.gltf(filepath=glb, import_shading='SMOOTH')
    addon.tidy.tidy(bpy.context, list(bpy.data.objects))
    arm = next(o for o in bpy.data.objects if o.type == 'ARMATURE')
    action = arm.animation_data.action if arm.animation_data else None
    if check('animation: the armature\'s action', action is not None):
        check('animation: from frame 1', tuple(round(x) for x in action.frame_range) == (1, 3),
              f'{tuple(action.frame_range)}')
        check('animation: the scene plays it', (scene.frame_start, scene.frame_end) == (1, 3),
              f'{scene.frame_start}..{scene.frame_end}')
        check('animation: extras as custom properties', arm.data.bones[name].get('residue') == 'GLY 1',
              f"{name}: {dict(arm.data.bones[name].items())}")
        posed = arm.pose.bones[name]
        for frame, angle in enumerate(turns):
            scene.frame_set(frame + 1)
            got = posed.matrix_basis.to_quaternion().angle
            check(f'animation: frame {frame + 1} turned as keyed', abs(got - angle) < 1e-4, f'{got} for {angle}')
    print(('ok ' if len(failures) == before else 'FAILED ') + 'animation tidied')


addon, where = install()
for path, atoms in cases:
    figure(path, atoms)
# Each half of a bond in its atom's colour, as sticks.
figure(cases[0][0], cases[0][1], style='sticks', bond_colours='atoms')
badfile_refused()
too_many_refused()
programs_looked_for(where, cases[-1][0], cases[-1][1])
animation_tidied(addon, cases[-1][0])
frames_case(addon)
for f in failures[:50]:
    print('FAILED', f)
sys.exit(1 if failures else 0)
