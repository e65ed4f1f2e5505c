// Draws a kestrix glTF figure into a PNG picture without a browser or a
// GPU: three.js's GLTFLoader reads and skins the figure, and a small z-buffer
// rasterizer draws its triangles. For the README's pictures: the figure with
// one joint turned, or a strip of an animated figure at several times, one
// panel each, posed by three.js's AnimationMixer as a viewer plays it.
// usage: node render.mjs FILE.glb OUT.png [BONE [DEGREES]]
//        node render.mjs FILE.glb OUT.png --at SECONDS[,SECONDS...]
// With --at the picture is 320 x 300 a panel, side by side, every panel seen
// from the same place at the same scale, and the output line gives each
// panel's digest (the same digest twice: the figure did not move).
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { deflateSync } from 'node:zlib';
import * as THREE from 'three';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';

const args = process.argv.slice(2);
const [glbpath, outpath] = args;
const strip = args[2] === '--at';
const times = strip ? (args[3] ?? '').split(',').map(Number) : [];
const [bonename, degrees = '60'] = strip ? [] : args.slice(2);
if (!glbpath || !outpath || (strip && (!times.length || times.some((t) => !Number.isFinite(t))))) {
    console.error('usage: node render.mjs FILE.glb OUT.png [BONE [DEGREES]]\n' +
        '       node render.mjs FILE.glb OUT.png --at SECONDS[,SECONDS...]');
    process.exit(2);
}
const panels = strip ? times.length : 1;
const PW = strip ? 320 : 960, H = strip ? 300 : 720, SS = 2; // a panel's size and supersampling
const W = PW * panels;

const bytes = readFileSync(glbpath);
const buffer = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
const gltf = await new Promise((resolve, reject) => new GLTFLoader().parse(buffer, '', resolve, reject));
const scene = gltf.scene;
scene.updateMatrixWorld(true);
const meshes = [];
scene.traverse((o) => o.isSkinnedMesh && meshes.push(o));

const pose = () => {
    scene.updateMatrixWorld(true);
    for (const m of meshes) m.skeleton.update();
};
if (bonename) {
    const bone = meshes[0].skeleton.bones.find((b) => b.name === bonename);
    if (!bone) throw new Error(`no bone ${bonename}`);
    bone.rotateX((Number(degrees) * Math.PI) / 180);
    pose();
}

// Skinned triangles in the scene, as the figure stands now.
const v = new THREE.Vector3();
const triangles = () => {
    const tris = [];
    for (const mesh of meshes) {
        const pos = mesh.geometry.attributes.position;
        const index = mesh.geometry.index;
        const points = [];
        for (let i = 0; i < pos.count; i++) {
            mesh.getVertexPosition(i, v);
            points.push(mesh.localToWorld(v.clone()));
        }
        const colour = mesh.material.color.clone().convertLinearToSRGB();
        for (let t = 0; t < index.count; t += 3)
            tris.push({ p: [points[index.getX(t)], points[index.getX(t + 1)], points[index.getX(t + 2)]], colour });
    }
    return tris;
};

// One set of triangles a panel: the figure as it stands, or at each time.
const frames = [];
if (strip) {
    if (!gltf.animations.length) {
        console.error(`render.mjs: ${glbpath} has no animation`);
        process.exit(1);
    }
    const mixer = new THREE.AnimationMixer(scene);
    mixer.clipAction(gltf.animations[0]).play();
    for (const t of times) {
        mixer.setTime(t);
        pose();
        frames.push(triangles());
    }
} else {
    frames.push(triangles());
}

// An orthographic view from above and to the side, fitted to the figure.
const eye = new THREE.Vector3(0.45, 0.55, 1).normalize();
const up0 = new THREE.Vector3(0, 1, 0);
const right = new THREE.Vector3().crossVectors(up0, eye).normalize();
const up = new THREE.Vector3().crossVectors(eye, right);
const box = new THREE.Box3();
for (const tris of frames) for (const t of tris) for (const p of t.p) box.expandByPoint(p);
const centre = box.getCenter(new THREE.Vector3());
let extent = 0;
for (const tris of frames)
    for (const t of tris)
        for (const p of t.p) {
            const d = p.clone().sub(centre);
            extent = Math.max(extent, Math.abs(d.dot(right)) * (H / PW), Math.abs(d.dot(up)));
        }
const scale = (H * SS * 0.45) / extent;
const project = (p, left) => {
    const d = p.clone().sub(centre);
    return [left + PW * SS / 2 + d.dot(right) * scale, H * SS / 2 - d.dot(up) * scale, d.dot(eye)];
};

const w = W * SS, h = H * SS;
const depth = new Float64Array(w * h).fill(-Infinity);
const rgb = new Float64Array(w * h * 3);
for (let i = 0; i < w * h; i++) rgb.set([0.97, 0.97, 0.95], i * 3);
const light = new THREE.Vector3(-0.4, 0.8, 0.6).normalize();
const draw = (tris, panel) => {
    const left = panel * PW * SS, edge = left + PW * SS - 1;
    for (const t of tris) {
        const n = new THREE.Vector3().crossVectors(t.p[1].clone().sub(t.p[0]), t.p[2].clone().sub(t.p[0]));
        if (n.lengthSq() === 0 || n.dot(eye) <= 0) continue; // back faces
        n.normalize();
        const shade = 0.3 + 0.7 * Math.max(0, n.dot(light));
        const specular = Math.pow(Math.max(0, n.dot(light.clone().add(eye).normalize())), 40) * 0.35;
        const [a, b, c] = t.p.map((p) => project(p, left));
        const area = (b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]);
        if (area === 0) continue;
        const x0 = Math.max(left, Math.floor(Math.min(a[0], b[0], c[0]))), x1 = Math.min(edge, Math.ceil(Math.max(a[0], b[0], c[0])));
        const y0 = Math.max(0, Math.floor(Math.min(a[1], b[1], c[1]))), y1 = Math.min(h - 1, Math.ceil(Math.max(a[1], b[1], c[1])));
        for (let y = y0; y <= y1; y++)
            for (let x = x0; x <= x1; x++) {
                const px = x + 0.5, py = y + 0.5;
                const wa = ((b[0] - px) * (c[1] - py) - (c[0] - px) * (b[1] - py)) / area;
                const wb = ((c[0] - px) * (a[1] - py) - (a[0] - px) * (c[1] - py)) / area;
                const wc = 1 - wa - wb;
                if (wa < 0 || wb < 0 || wc < 0) continue;
                const z = wa * a[2] + wb * b[2] + wc * c[2];
                const k = y * w + x;
                if (z <= depth[k]) continue;
                depth[k] = z;
                rgb[k * 3] = Math.min(1, t.colour.r * shade + specular);
                rgb[k * 3 + 1] = Math.min(1, t.colour.g * shade + specular);
                rgb[k * 3 + 2] = Math.min(1, t.colour.b * shade + specular);
            }
    }
};
frames.forEach(draw);

// Down to the picture's size, then PNG: one filter byte per row, deflated.
const raw = Buffer.alloc(H * (W * 3 + 1));
for (let y = 0; y < H; y++) {
    raw[y * (W * 3 + 1)] = 0;
    for (let x = 0; x < W; x++)
        for (let ch = 0; ch < 3; ch++) {
            let sum = 0;
            for (let dy = 0; dy < SS; dy++)
                for (let dx = 0; dx < SS; dx++) sum += rgb[((y * SS + dy) * w + x * SS + dx) * 3 + ch];
            raw[y * (W * 3 + 1) + 1 + x * 3 + ch] = Math.round((255 * sum) / (SS * SS));
        }
}
const crctable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
});
const crc = (buf) => {
    let c = 0xffffffff;
    for (const byte of buf) c = crctable[(c ^ byte) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
};
const chunk = (type, data) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, 'ascii');
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc(Buffer.concat([head.subarray(4), data])), 0);
    return Buffer.concat([head, data, tail]);
};
const ihdr = Buffer.alloc(13);
ihdr.writeUInt32BE(W, 0);
ihdr.writeUInt32BE(H, 4);
ihdr.set([8, 2, 0, 0, 0], 8); // 8 bits, RGB
writeFileSync(outpath, Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', ihdr), chunk('IDAT', deflateSync(raw)), chunk('IEND', Buffer.alloc(0)),
]));
// A digest of each panel's pixels, so that a test can tell the panels apart.
const digests = [];
for (let panel = 0; panel < panels; panel++) {
    const hash = createHash('sha256');
    for (let y = 0; y < H; y++) {
        const row = y * (W * 3 + 1) + 1 + panel * PW * 3;
        hash.update(raw.subarray(row, row + PW * 3));
    }
    digests.push(hash.digest('hex').slice(0, 12));
}
const what = strip
    ? `, at ${times.join(', ')} s: panels ${digests.join(' ')}`
    : bonename ? `, ${bonename} turned by ${degrees} degrees` : '';
console.log(`${outpath}: ${frames[0].length} triangles${what}`);
