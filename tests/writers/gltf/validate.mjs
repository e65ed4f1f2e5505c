// Runs the Khronos glTF Validator on each .glb named on the command line and
// fails on any error or warning (infos and hints are printed, not counted).
// usage: node validate.mjs FILE.glb...
import { readFileSync } from 'node:fs';
import { basename } from 'node:path';
import validator from 'gltf-validator';

let failed = 0;
for (const path of process.argv.slice(2)) {
    const bytes = new Uint8Array(readFileSync(path));
    const report = await validator.validateBytes(bytes, {
        uri: basename(path),
        maxIssues: 0,
        externalResourceFunction: (uri) => Promise.reject(new Error(`no external resource: ${uri}`)),
    });
    const { numErrors, numWarnings, numInfos, numHints, messages } = report.issues;
    for (const m of messages) {
        const kind = ['error', 'warning', 'info', 'hint'][m.severity];
        console.log(`${basename(path)}: ${kind} ${m.code} ${m.pointer ?? ''} ${m.message}`);
    }
    const ok = numErrors === 0 && numWarnings === 0;
    console.log(`${ok ? 'ok' : 'FAILED'} ${basename(path)}: ${numErrors} errors, ${numWarnings} warnings, ` +
        `${numInfos} infos, ${numHints} hints (${report.info?.totalVertexCount ?? 0} vertices)`);
    if (!ok) failed++;
}
process.exit(failed ? 1 : 0);
