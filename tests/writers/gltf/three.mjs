// Loads kestrix's glTF figures with three.js's GLTFLoader, a loader that real
// viewers use, and checks the rig as a user would meet it: one skeleton with
// one bone per atom shared by every skinned mesh, balls where the description
// puts its atoms, and a posed bone that turns exactly its subtree about the
// parent atom.
// usage: node three.mjs DESCRIPTION.krx FILE.glb [DESCRIPTION.krx FILE.glb...]
import { readFileSync } from 'node:fs';
import { basename } from 'node:path';
import * as THREE from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';

// Just enough of the description format for the checks: the atom names in
// order, their coordinates in coordinate mode, and their elements' radii.
function readdescription(text) {
    const elements = new Map();
    const atoms = [];
    let xyz = false;
    for (const raw of text.split('\n')) {
        let tokens = raw.replace(/\r/g, '').split(/[ \t]+/).filter((t) => t !== '');
        const comment = tokens.findIndex((t) => t.startsWith('//'));
        if (comment >= 0) tokens = tokens.slice(0, comment);
        if (tokens[0] === '{') tokens = tokens.slice(1);
        while (tokens.length && tokens[tokens.length - 1] === '}') tokens.pop();
        if (!tokens.length) continue;
        const keyword = tokens[0].toLowerCase();
        if (keyword === 'readxyz' && !atoms.length) xyz = true;
        if (keyword === 'element' && tokens.length >= 6) elements.set(tokens[1], parseFloat(tokens[5]));
        if (keyword === 'atom' && tokens.length >= 6) {
            atoms.push({
                name: tokens[1],
                radius: elements.get(tokens[2]),
                position: new THREE.Vector3(...tokens.slice(3, 6).map(parseFloat)),
            });
        }
    }
    return { atoms, xyz };
}

function load(path) {
    const bytes = readFileSync(path);
    const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
    return new Promise((resolve, reject) => new GLTFLoader().parse(buffer, '', resolve, reject));
}

// The skinned centre of every atom's ball: the mean of its vertices as the
// loader skins them, by joint index. The bonds' material is left out, and
// so are the halves of bonds in their atoms' colours: they come after the
// balls, a second primitive of the element's material.
function ballcentres(meshes) {
    const sums = new Map();
    const v = new THREE.Vector3();
    const seen = new Set();
    for (const mesh of meshes) {
        if (mesh.material.name === 'bonds' || seen.has(mesh.material.name)) continue;
        seen.add(mesh.material.name);
        const joints = mesh.geometry.attributes.skinIndex;
        for (let i = 0; i < joints.count; i++) {
            mesh.getVertexPosition(i, v);
            mesh.localToWorld(v);
            const j = joints.getX(i);
            const s = sums.get(j) ?? { sum: new THREE.Vector3(), n: 0 };
            s.sum.add(v);
            s.n++;
            sums.set(j, s);
        }
    }
    const out = new Map();
    for (const [j, s] of sums) out.set(j, s.sum.divideScalar(s.n));
    return out;
}

function worldposition(object) {
    object.updateWorldMatrix(true, false);
    return new THREE.Vector3().setFromMatrixPosition(object.matrixWorld);
}

function check(name, condition, detail) {
    if (!condition) throw new Error(`${name}: ${detail}`);
}

async function checkfile(krxpath, glbpath) {
    const description = readdescription(readFileSync(krxpath, 'utf8'));
    const gltf = await load(glbpath);
    const scene = gltf.scene;
    scene.updateMatrixWorld(true);

    const meshes = [];
    scene.traverse((o) => o.isSkinnedMesh && meshes.push(o));
    const drawn = description.atoms.some((a) => a.radius !== 0);
    if (!drawn && meshes.length === 0) return 'no mesh (nothing to draw)';
    check('skinned meshes', meshes.length > 0, 'none');
    const skeletons = new Set(meshes.map((m) => m.skeleton));
    check('one skeleton', skeletons.size === 1, `${skeletons.size} skeletons`);
    const skeleton = meshes[0].skeleton;
    const bones = skeleton.bones;
    // A bone per atom, in the description's order, then a tip per leaf: a
    // bone without children at the end of its leaf's bond, which no vertex
    // follows.
    const natoms = description.atoms.length;
    check('one bone per atom', bones.length >= natoms && bones.length < 2 * natoms,
        `${bones.length} bones, ${natoms} atoms`);
    bones.forEach((b, i) => check('bones', b.isBone, `joint ${i} is no Bone`));
    bones.slice(natoms).forEach((b) => {
        check('tips', b.children.length === 0 && bones.indexOf(b.parent) > 0 && bones.indexOf(b.parent) < natoms,
            `${b.name} is no leaf's tip`);
        check('tips', !b.parent.children.some((c) => c !== b && c.isBone), `${b.name} hangs from an atom with children`);
    });
    for (const mesh of meshes) {
        const joints = mesh.geometry.attributes.skinIndex;
        for (let i = 0; i < joints.count; i++)
            check('tips', joints.getX(i) < natoms, `a vertex follows tip ${joints.getX(i)}`);
    }
    // Bones are named by their atoms (where the reader had nothing to rename).
    const names = description.atoms.map((a) => a.name);
    if (new Set(names.map((n) => n.toLowerCase())).size === names.length)
        names.forEach((n, i) => check('bone names', bones[i].name === n, `joint ${i} is ${bones[i].name}, not ${n}`));

    // Rest pose: the loader's skinning leaves every vertex where it was bound.
    let restworst = 0;
    const v = new THREE.Vector3();
    const bound = new THREE.Vector3();
    for (const mesh of meshes) {
        const pos = mesh.geometry.attributes.position;
        for (let i = 0; i < pos.count; i++) {
            mesh.getVertexPosition(i, v);
            bound.fromBufferAttribute(pos, i);
            restworst = Math.max(restworst, v.distanceTo(bound));
        }
    }
    check('rest pose', restworst < 1e-4, `a vertex moves by ${restworst} at rest`);

    // Balls stand at the description's coordinates.
    const rest = ballcentres(meshes);
    if (description.xyz) {
        for (const [j, centre] of rest) {
            const d = centre.distanceTo(description.atoms[j].position);
            const scale = description.atoms[j].position.length() + 1;
            check('ball centres', d < 1e-4 + 1e-5 * scale,
                `${description.atoms[j].name} at ${centre.toArray()}, described ${description.atoms[j].position.toArray()}`);
        }
    }

    // Pose one bone: the first non-root bone that has bones below it (or,
    // when every atom hangs from the root, the last bone), turned by 90
    // degrees about its own X axis, as the theta dial turns it.
    const root = bones[0];
    if (bones.length === 1) return `${meshes.length} skinned meshes, 1 bone (nothing to pose)`;
    const posed = bones.find((b) => b !== root && b.children.some((c) => c.isBone)) ?? bones[bones.length - 1];
    check('a bone to pose', posed !== root, 'the figure has only its root');
    const subtree = new Set();
    posed.traverse((o) => o.isBone && subtree.add(bones.indexOf(o)));
    const pivot = worldposition(posed);
    const axis = new THREE.Vector3().setFromMatrixColumn(posed.matrixWorld, 0).normalize();
    const turn = new THREE.Quaternion().setFromAxisAngle(axis, Math.PI / 2);
    const before = bones.map(worldposition);

    posed.rotateX(Math.PI / 2);
    scene.updateMatrixWorld(true);
    for (const mesh of meshes) mesh.skeleton.update();

    const expected = (p) => p.clone().sub(pivot).applyQuaternion(turn).add(pivot);
    let moved = 0;
    bones.forEach((b, i) => {
        const now = worldposition(b);
        const want = subtree.has(i) && b !== posed ? expected(before[i]) : before[i];
        check('posed bones', now.distanceTo(want) < 1e-4, `${b.name} at ${now.toArray()}, expected ${want.toArray()}`);
    });
    const after = ballcentres(meshes);
    for (const [j, centre] of rest) {
        const want = subtree.has(j) ? expected(centre) : centre;
        const now = after.get(j);
        check('posed balls', now.distanceTo(want) < 1e-4,
            `${description.atoms[j].name} at ${now.toArray()}, expected ${want.toArray()}`);
        if (now.distanceTo(centre) > 1e-3) moved++;
    }
    const posedball = rest.get(bones.indexOf(posed));
    if (posedball && posedball.distanceTo(pivot) > 1e-3)
        check('the posed atom moved', moved > 0, 'nothing moved');
    return `${meshes.length} skinned meshes, ${bones.length} bones, posed ${posed.name} ` +
        `(${subtree.size} atoms turned, ${moved} balls moved)`;
}

const args = process.argv.slice(2);
let failed = 0;
for (let i = 0; i + 1 < args.length; i += 2) {
    try {
        const what = await checkfile(args[i], args[i + 1]);
        console.log(`ok ${basename(args[i + 1])}: ${what}`);
    } catch (e) {
        console.log(`FAILED ${basename(args[i + 1])}: ${e.message}`);
        failed++;
    }
}
process.exit(failed ? 1 : 0);
