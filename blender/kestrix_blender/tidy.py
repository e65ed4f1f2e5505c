"""What the glTF importer leaves to be done for a kestrix figure: the
skeleton drawn in front of the balls, the bones that move nothing hidden,
an animation made the armature's action over the scene's frame range."""
import bpy


def bound_groups(mesh):
    """The vertex groups of MESH that bind at least one vertex."""
    used = set()
    for v in mesh.data.vertices:
        for g in v.groups:
            if g.weight > 0:
                used.add(g.group)
    return {g.name for g in mesh.vertex_groups if g.index in used}


def skinned_to(mesh, arm):
    return mesh.parent is arm or any(m.type == 'ARMATURE' and m.object is arm for m in mesh.modifiers)


def tidy_armature(arm, meshes):
    arm.show_in_front = True
    bound = set()
    for mesh in meshes:
        if skinned_to(mesh, arm):
            bound |= bound_groups(mesh)
    for bone in arm.data.bones:
        # A bone that binds no vertex (the end of a bond chain) only clutters
        # the view; it stays in the rig for whoever wants it.
        bone.hide = bone.name not in bound


def first_action(obj):
    data = obj.animation_data
    if data is None:
        return None
    if data.action is not None:
        return data.action
    return next((s.action for t in data.nla_tracks for s in t.strips if s.action), None)


def tidy_animation(arm, scene):
    """Keys at glTF time t land on frame t x fps; the file's first frame goes
    to Blender's frame 1, the scene plays exactly the action's frames."""
    action = first_action(arm)
    if action is None:
        return None
    arm.animation_data.action = action
    for track in arm.animation_data.nla_tracks:
        if any(s.action is action for s in track.strips):
            arm.animation_data.nla_tracks.remove(track)
            break
    for curve in action.fcurves:
        for key in curve.keyframe_points:
            key.co.x += 1
            key.handle_left.x += 1
            key.handle_right.x += 1
        curve.update()
    first, last = action.frame_range
    scene.frame_start = int(round(first))
    scene.frame_end = max(int(round(last)), scene.frame_start)
    scene.frame_set(scene.frame_start)
    return action


def tidy(context, new_objects):
    meshes = [o for o in new_objects if o.type == 'MESH']
    arms = [o for o in new_objects if o.type == 'ARMATURE']
    for arm in arms:
        tidy_armature(arm, meshes)
        tidy_animation(arm, context.scene)
    for o in context.view_layer.objects:
        o.select_set(o in new_objects)
    if arms:
        context.view_layer.objects.active = arms[0]
    elif meshes:
        context.view_layer.objects.active = meshes[0]
    frame_selected(context)


def frame_selected(context):
    """Frames the molecule in every 3-D view (none when Blender runs without
    a window)."""
    window = context.window
    if window is None or not hasattr(context, 'temp_override'):
        return
    for area in window.screen.areas:
        if area.type != 'VIEW_3D':
            continue
        region = next((r for r in area.regions if r.type == 'WINDOW'), None)
        if region is None:
            continue
        with context.temp_override(window=window, area=area, region=region):
            bpy.ops.view3d.view_selected()
