# The README's picture: caffeine brought in through the add-on's
# File > Import > Molecule (kestrix) operator, as a user would, and rendered
# with Cycles on the CPU. Run by scripts/readme-picture.sh, which puts the
# programs to use on PATH.
# usage: blender -b --factory-startup --python docs/render_caffeine.py -- ADDON_DIR MOLECULE OUT.png
import math
import sys

import bpy
from mathutils import Vector

addon_dir, molecule, out = sys.argv[sys.argv.index('--') + 1:][:3]
sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, addon_dir)
import kestrix_blender  # noqa: E402

bpy.ops.wm.read_factory_settings(use_empty=True)
kestrix_blender.register()
if 'FINISHED' not in bpy.ops.import_scene.kestrix(filepath=molecule, bond_colours='atoms'):
    sys.exit('the import failed')

scene = bpy.context.scene
mesh = next(o for o in scene.objects if o.type == 'MESH')
bpy.context.view_layer.update()
evaluated = mesh.evaluated_get(bpy.context.evaluated_depsgraph_get())
points = [evaluated.matrix_world @ v.co for v in evaluated.data.vertices]
low = Vector([min(p[i] for p in points) for i in range(3)])
high = Vector([max(p[i] for p in points) for i in range(3)])
centre = (low + high) / 2
radius = max((p - centre).length for p in points)

# The figure stands upright (glTF's Y up is Blender's Z): seen from the front,
# a little from the side and above.
camera_data = bpy.data.cameras.new('camera')
camera_data.lens = 60
camera = bpy.data.objects.new('camera', camera_data)
scene.collection.objects.link(camera)
scene.camera = camera
view = Vector((0.25, -1.0, 0.3)).normalized()
width, height = 640, 400
fov = 2 * math.atan(camera_data.sensor_width / (2 * camera_data.lens)) * height / width
camera.location = centre + view * (radius / math.sin(fov / 2) * 0.82)
camera.rotation_euler = (-view).to_track_quat('-Z', 'Y').to_euler()

sun_data = bpy.data.lights.new('sun', 'SUN')
sun_data.energy = 3.0
sun_data.angle = math.radians(10)
sun = bpy.data.objects.new('sun', sun_data)
sun.rotation_euler = (math.radians(50), math.radians(-20), math.radians(-30))
scene.collection.objects.link(sun)

world = bpy.data.worlds.new('world')
world.use_nodes = True
world.node_tree.nodes['Background'].inputs['Color'].default_value = (0.85, 0.87, 0.9, 1)
world.node_tree.nodes['Background'].inputs['Strength'].default_value = 0.9
scene.world = world

scene.render.engine = 'CYCLES'
scene.cycles.device = 'CPU'
scene.cycles.samples = 128
scene.cycles.use_adaptive_sampling = True
scene.cycles.adaptive_threshold = 0.01
scene.cycles.use_denoising = False
scene.cycles.max_bounces = 4
scene.render.resolution_x, scene.render.resolution_y = width, height
scene.render.resolution_percentage = 100
scene.render.film_transparent = False
# No dither noise: the picture stays small as a PNG.
scene.render.dither_intensity = 0
scene.view_settings.view_transform = 'Standard'
scene.render.image_settings.file_format = 'PNG'
scene.render.image_settings.color_mode = 'RGB'
scene.render.image_settings.color_depth = '8'
scene.render.image_settings.compression = 100
scene.render.filepath = out
bpy.ops.render.render(write_still=True)
