"""File > Import > Molecule (kestrix): a molecule file becomes a poseable
figure, one bone per bond, through the kestrix programs and Blender's own
glTF importer."""
import json
import os
import shutil
import struct
import tempfile

import bpy
from bpy.props import BoolProperty, EnumProperty, FloatProperty, IntProperty, StringProperty
from bpy_extras.io_utils import ImportHelper

from . import options, programs, tidy

bl_info = {
    'name': 'kestrix molecules',
    'author': 'kestrix',
    'version': (1, 0, 0),
    'blender': (3, 4, 0),
    'location': 'File > Import > Molecule (kestrix)',
    'description': 'Imports molecule files (PDB, mmCIF, SDF, MOL2, XYZ, CML, KRX) as rigged figures',
    'category': 'Import-Export',
}

# Every suffix kestrix-import reads, each also gzip-compressed, and the
# descriptions kestrix-cli converts as they are.
MOLECULES = ('.xyz', '.pdb', '.ent', '.cif', '.mmcif', '.mol', '.sdf', '.sd', '.mol2', '.cml')
DESCRIPTION = '.krx'


def molecule_glob():
    return ';'.join(['*' + s for s in MOLECULES] + ['*' + s + '.gz' for s in MOLECULES] + ['*' + DESCRIPTION])


def split_suffix(path):
    """(stem, suffix) of a molecule file, the suffix in lower case and
    without .gz."""
    base = os.path.basename(path)
    low = base.lower()
    if low.endswith('.gz'):
        base, low = base[:-3], low[:-3]
    stem, suffix = os.path.splitext(base)
    return stem, suffix.lower()


class KestrixPreferences(bpy.types.AddonPreferences):
    bl_idname = __name__

    programs_folder: StringProperty(
        name='Programs folder',
        description='Where kestrix-import and kestrix-cli are, when neither the add-on nor PATH has them',
        subtype='DIR_PATH')

    def draw(self, context):
        self.layout.prop(self, 'programs_folder')


def preferred_folder(context):
    addon = context.preferences.addons.get(__name__)
    return addon.preferences.programs_folder if addon else ''


class IMPORT_SCENE_OT_kestrix(bpy.types.Operator, ImportHelper):
    """Import a molecule file as a rigged figure: one bone per bond"""
    bl_idname = 'import_scene.kestrix'
    bl_label = 'Import Molecule'
    bl_options = {'REGISTER', 'UNDO', 'PRESET'}

    filename_ext = ''
    filter_glob: StringProperty(default=molecule_glob(), options={'HIDDEN'})

    style: EnumProperty(
        name='Style', default='ball-and-stick',
        items=(('ball-and-stick', 'Ball and stick', 'Balls joined by bond cylinders'),
               ('spacefill', 'Spacefill', "Balls of the element's van der Waals radius, no bonds"),
               ('sticks', 'Sticks', 'Balls as thick as the bonds')))
    bond_colours: EnumProperty(
        name='Bond colours', default='bond',
        items=(('bond', 'Bond colour', 'Every bond in the bond colour (material "bonds")'),
               ('atoms', 'Atom colours', "Each half of a bond in its atom's colour")))
    hydrogens: BoolProperty(name='Hydrogens', default=True, description='Keep the hydrogen atoms')
    # kestrix-import's hint for a file of too many atoms may name --no-water.
    water: BoolProperty(name='Water', default=True, description='Keep the water molecules (PDB, mmCIF)')
    ball_scale: FloatProperty(name='Ball scale', default=0.5, min=0.001, max=1000.0,
                              description='Ball radius as a multiple of the covalent radius')
    bond_radius: FloatProperty(name='Bond radius', default=0.08, min=0.0, max=1000.0,
                               description='Radius of the bond cylinders (0: no bonds)')
    chain: StringProperty(name='Chain', default='',
                          description='Only these chains (PDB, mmCIF), separated by commas; empty: all')
    residues: StringProperty(name='Residues', default='',
                             description='Only these residues, [CHAIN:]FROM-TO, separated by commas; empty: all')
    frames: StringProperty(name='Frames', default='',
                           description='The frames to import, FROM:TO[:STEP]; empty: all')
    fps: IntProperty(name='Frame rate', default=24, min=1, max=1000,
                     description='Frames of the file per second of animation')

    def offered(self, context):
        """The flags each found program lists, by program name."""
        found = {}
        for name in programs.PROGRAMS:
            path, _ = programs.find(name, preferred_folder(context))
            found[name] = programs.offered(path) if path else set()
        return found

    def draw(self, context):
        layout = self.layout
        found = self.offered(context)
        everything = set().union(*found.values())
        if not everything:
            layout.label(text='kestrix programs not found', icon='ERROR')
            return
        for name in options.OPTIONS:
            if options.spelled(name, everything):
                layout.prop(self, name)

    def execute(self, context):
        path = self.filepath
        stem, suffix = split_suffix(path)
        if suffix != DESCRIPTION and suffix not in MOLECULES:
            self.report({'ERROR'}, f'kestrix: {os.path.basename(path)}: not a molecule file kestrix reads')
            return {'CANCELLED'}
        needed = ['kestrix-cli'] if suffix == DESCRIPTION else ['kestrix-import', 'kestrix-cli']
        found = {}
        for name in needed:
            where, looked = programs.find(name, preferred_folder(context))
            if where is None:
                self.report({'ERROR'}, f'kestrix: {name} not found; looked in ' + '; '.join(looked))
                return {'CANCELLED'}
            found[name] = where
        values = {name: getattr(self, name) for name in options.OPTIONS}
        work = tempfile.mkdtemp(prefix='kestrix-blender-')
        try:
            return self.convert(context, path, stem, suffix, found, values, work)
        finally:
            shutil.rmtree(work, ignore_errors=True)

    def convert(self, context, path, stem, suffix, found, values, work):
        source = os.path.abspath(bpy.path.abspath(path))
        name = stem or 'molecule'
        notes = []
        if suffix == DESCRIPTION:
            description = source
        else:
            description = os.path.join(work, name + DESCRIPTION)
            importer = found['kestrix-import']
            args = [importer, '-o', description]
            args += options.arguments(values, programs.offered(importer))
            ok, lines = programs.run(args + ['--', source], work)
            if not ok:
                return self.fail(lines)
            notes += lines
        glb = os.path.join(work, name + '.glb')
        cli = found['kestrix-cli']
        args = [cli, '--glb', '--quiet', '-o', glb]
        args += options.arguments(values, programs.offered(cli))
        ok, lines = programs.run(args + ['--', description], work)
        if not ok:
            return self.fail(lines)
        notes += lines
        if animated(glb):
            # The importer keys glTF time t at frame t x the scene's rate: at
            # the file's rate, one Blender frame per file frame.
            context.scene.render.fps = values['fps']
            context.scene.render.fps_base = 1.0
        before = snapshot()
        try:
            # Smooth shading: Blender 3.4's normals guess fails with numpy 1.24
            # and later (numpy.bool); the balls are smooth anyway.
            result = bpy.ops.import_scene.gltf(filepath=glb, import_shading='SMOOTH')
        except RuntimeError as e:
            forget(before)
            return self.fail([f'kestrix: the glTF import failed: {e}'])
        if 'FINISHED' not in result:
            forget(before)
            return self.fail(['kestrix: the glTF import failed'])
        new = [o for o in bpy.data.objects if o.as_pointer() not in before['objects']]
        tidy.tidy(context, new)
        for line in notes:
            self.report({'INFO'}, line)
        return {'FINISHED'}

    def fail(self, lines):
        self.report({'ERROR'}, '\n'.join(lines))
        return {'CANCELLED'}


def animated(glb):
    """Whether the .glb holds an animation: its JSON chunk says."""
    try:
        with open(glb, 'rb') as f:
            head = f.read(20)
            size = struct.unpack('<I', head[12:16])[0]
            return bool(json.loads(f.read(size)).get('animations'))
    except (OSError, ValueError, struct.error):
        return False


KINDS = ('objects', 'meshes', 'armatures', 'materials', 'actions', 'images', 'collections')


def snapshot():
    return {k: {d.as_pointer() for d in getattr(bpy.data, k)} for k in KINDS}


def forget(before):
    """Removes what a failed import made, so that nothing is left behind."""
    for kind in KINDS:
        collection = getattr(bpy.data, kind)
        for d in list(collection):
            if d.as_pointer() not in before[kind]:
                collection.remove(d)


def menu_import(self, context):
    self.layout.operator(IMPORT_SCENE_OT_kestrix.bl_idname, text='Molecule (kestrix)')


CLASSES = (KestrixPreferences, IMPORT_SCENE_OT_kestrix)


def register():
    for c in CLASSES:
        bpy.utils.register_class(c)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    for c in reversed(CLASSES):
        bpy.utils.unregister_class(c)
