# Writes the importer's test scenes with Blender (not needed by the build or tests):
#   blender -b --factory-startup --python tests/data/import/make_scenes.py -- tests/data/import
# animated.glb: a three-level hierarchy animated with constant (STEP), linear and
# Bezier (CUBICSPLINE) keys, an animated camera, a point light, a textured and an
# alpha-masked material. markers.glb: a still camera and four small emissive
# markers at known places on black, for the capture test. animated_baked.glb: the
# first scene with a key at every frame, as Blender evaluates its curves.
import os
import sys

import bpy

out = sys.argv[sys.argv.index("--") + 1]


def clear():
    bpy.ops.wm.read_factory_settings(use_empty=True)


def material(name, colour, emission=None, image=None, clip=False):
    m = bpy.data.materials.new(name)
    m.use_nodes = True
    bsdf = m.node_tree.nodes["Principled BSDF"]
    bsdf.inputs["Base Color"].default_value = colour
    if emission:
        bsdf.inputs["Emission"].default_value = emission
        bsdf.inputs["Emission Strength"].default_value = 1.0
    if image:
        tex = m.node_tree.nodes.new("ShaderNodeTexImage")
        tex.image = image
        m.node_tree.links.new(tex.outputs["Color"], bsdf.inputs["Base Color"])
        if clip:
            m.node_tree.links.new(tex.outputs["Alpha"], bsdf.inputs["Alpha"])
            m.blend_method = "CLIP"
            m.alpha_threshold = 0.5
    return m


def checker(name, alpha_holes):
    img = bpy.data.images.new(name, 8, 8, alpha=True)
    pixels = []
    for y in range(8):
        for x in range(8):
            on = (x // 2 + y // 2) % 2
            a = 0.0 if (alpha_holes and on) else 1.0
            pixels += [1.0, 0.8 * on, 0.2, a]
    img.pixels = pixels
    img.file_format = "PNG"
    img.pack()
    return img


def cube(name, location, size, mat, parent=None):
    bpy.ops.mesh.primitive_cube_add(size=size, location=location)
    o = bpy.context.active_object
    o.name = name
    o.data.materials.append(mat)
    if parent:
        o.parent = parent
    return o


def keys(obj, path, frames, values, interpolation):
    for frame, value in zip(frames, values):
        setattr(obj, path, value)
        obj.keyframe_insert(data_path=path, frame=frame)
    for curve in obj.animation_data.action.fcurves:
        if curve.data_path == path:
            for point in curve.keyframe_points:
                point.interpolation = interpolation


def export(path, sampled=False):
    bpy.ops.export_scene.gltf(filepath=path, export_format="GLB", export_cameras=True, export_lights=True,
                              export_force_sampling=sampled, export_nla_strips=False, export_animations=True,
                              export_normals=False, export_colors=False)


clear()
scene = bpy.context.scene
scene.render.resolution_x, scene.render.resolution_y = 1920, 1080
scene.frame_start, scene.frame_end = 1, 49
scene.render.fps = 24
plain = material("plain", (0.6, 0.6, 0.7, 1))
textured = material("textured", (1, 1, 1, 1), image=checker("check", False))
masked = material("masked", (1, 1, 1, 1), image=checker("holes", True), clip=True)
base = cube("base", (0, 0, 0), 1.0, plain)
arm = cube("arm", (2, 0, 0), 0.6, textured, base)
hand = cube("hand", (1, 0, 0), 0.3, masked, arm)
hand.location = (1, 0, 0)
other = cube("other", (-2, 0, 0), 0.5, plain)
keys(base, "rotation_euler", [1, 25, 49], [(0, 0, 0), (0, 0, 1.2), (0, 0, 2.4)], "CONSTANT")
keys(arm, "location", [1, 25, 49], [(2, 0, 0), (2, 0, 1), (2, 0, 0)], "LINEAR")
keys(other, "scale", [1, 25, 49], [(1, 1, 1), (2, 2, 2), (1, 1, 1)], "BEZIER")
bpy.ops.object.camera_add(location=(0, -8, 3))
camera = bpy.context.active_object
camera.name = "view"
camera.data.sensor_fit = "VERTICAL"
camera.data.angle_y = 0.7
keys(camera, "location", [1, 49], [(0, -8, 3), (3, -8, 3)], "LINEAR")
camera.rotation_euler = (1.2, 0, 0)
bpy.ops.object.light_add(type="POINT", location=(2, -3, 4))
bpy.context.active_object.name = "lamp"
export(os.path.join(out, "animated.glb"))
# Blender's own reading of the same curves, one linear key per frame: what the
# import of animated.glb must reproduce.
export(os.path.join(out, "animated_baked.glb"), sampled=True)

clear()
scene = bpy.context.scene
scene.render.resolution_x, scene.render.resolution_y = 1920, 1080
glow = material("glow", (0, 0, 0, 1), emission=(1, 1, 1, 1))
# A turned and scaled parent, its child and grandchild, then a root again after
# the deepest one: the player must nest each under its own parent.
m0 = cube("marker0", (-1.5, 0.8, 0), 0.12, glow)
m0.rotation_euler = (0.3, 0.2, 0.7)
m0.scale = (1.3, 1.3, 1.3)
m1 = cube("marker1", (0, 0, 0), 0.09, glow, m0)
m1.location = (1.6, 0.2, 0.3)
m1.rotation_euler = (0, 0, -0.5)
m2 = cube("marker2", (0, 0, 0), 0.09, glow, m1)
m2.location = (0.4, -1.5, -0.4)
cube("marker3", (1.2, -0.6, 1), 0.12, glow)
bpy.ops.object.camera_add(location=(0.5, -7, 1.5), rotation=(1.35, 0, 0.1))
camera = bpy.context.active_object
camera.name = "still"
camera.data.sensor_fit = "VERTICAL"
camera.data.angle_y = 0.6
export(os.path.join(out, "markers.glb"))
