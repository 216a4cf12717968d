// Our client and node-simconnect, an independent one, make the same calls to
// two loopback listeners and must put the same bytes on the wire, so that our
// encoder and our stand-in cannot agree on a mistake unnoticed. Only the
// serials (bytes 12-15) differ: node-simconnect counts from 0, ours from 1.
// usage: node compare-requests.js <path of simconnect_peer_client>
'use strict';
const { execFile } = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const { open, Protocol, RawBuffer, SimConnectDataType } = require('node-simconnect');

// simconnect_peer_client (CaptureClient.cpp) makes the same calls.
const kCalls = ['open', 'map client event', 'add to data definition 0', 'add to data definition 1',
  'request data on sim object', 'transmit client event', 'request system state', 'subscribe to system event',
  'set data on sim object', 'clear data definition'];
// The answer to the open request, written from the protocol's layout rather
// than by our encoder: size 308, protocol 5, kind 2, then name and versions.
const kOpenAnswer = Buffer.alloc(308);
[308, 5, 2].forEach((word, i) => kOpenAnswer.writeUInt32LE(word, 4 * i));
setTimeout(() => fail('timed out'), 15000);

function fail(why) { console.error(`FAIL: ${why}`); process.exit(1); }

// Listens on 127.0.0.1, answers the open request and resolves with the
// client's requests once it has made them all.
function capture() {
  return new Promise((listening) => {
    let done;
    const requests = new Promise((resolve) => (done = resolve));
    const server = net.createServer((socket) => {
      let bytes = Buffer.alloc(0);
      socket.on('error', () => {});
      socket.on('data', (chunk) => {
        if (bytes.length === 0) socket.write(kOpenAnswer);  // the open request came first
        bytes = Buffer.concat([bytes, chunk]);
        const got = [];
        for (let at = 0, size = 0; at + 4 <= bytes.length; at += size) {
          size = Math.max(16, bytes.readUInt32LE(at));
          if (at + size > bytes.length) break;
          got.push(bytes.subarray(at, at + size));
        }
        if (got.length < kCalls.length) return;
        socket.destroy();
        server.close();
        done(got);
      });
    });
    server.listen(0, '127.0.0.1', () => listening({ port: server.address().port, requests }));
  });
}

async function main() {
  const [theirs, ours] = [await capture(), await capture()];
  const { handle } = await open('Request Data', Protocol.KittyHawk, { host: '127.0.0.1', port: theirs.port });
  handle.on('error', () => {});
  handle.mapClientEventToSimEvent(2, 'NAV1_STBY_SET');
  handle.addToDataDefinition(0, 'NAV STANDBY FREQUENCY:1', 'MHz', SimConnectDataType.FLOAT64, 0.0, 0xffffffff);
  handle.addToDataDefinition(1, 'TRANSPONDER CODE:1', 'BCO16', SimConnectDataType.INT32, 0.0, 0xffffffff);
  handle.requestDataOnSimObject(0, 0, 0, 3, 0, 0, 0, 0);
  handle.transmitClientEvent(0, 2, 0x11150, 1, 0x10);
  handle.requestSystemState(3, 'AircraftLoaded');
  handle.subscribeToSystemEvent(105, 'AircraftLoaded');
  const heading = new RawBuffer(8);
  heading.writeFloat64(271.5);
  handle.setDataOnSimObject(4, 0, { buffer: heading, arrayCount: 0, tagged: false });
  handle.clearDataDefinition(4);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vp-peer-'));
  fs.writeFileSync(path.join(folder, 'SimConnect.cfg'), `[SimConnect]\nPort=${ours.port}\n`);
  execFile(process.argv[2], [], { cwd: folder, timeout: 10000 }, (error, stdout, stderr) => {
    fs.rmSync(folder, { recursive: true, force: true });
    if (error) fail(`our client failed: ${error.message}\n${stderr}`);
  });
  const [a, b] = [await theirs.requests, await ours.requests];
  const hex = (buffer) => buffer.toString('hex').replace(/(.{8})/g, '$1 ');
  const failures = kCalls.filter((call, i) => {
    const serials = [a[i].readUInt32LE(12), b[i].readUInt32LE(12)];
    b[i].writeUInt32LE(serials[0], 12);
    const same = a[i].equals(b[i]) && serials[1] === serials[0] + 1;
    b[i].writeUInt32LE(serials[1], 12);
    if (same) console.log(`same: ${call} (${a[i].length} bytes; serials ${serials.join(' and ')})`);
    else console.error(`differs: ${call}\n  node-simconnect: ${hex(a[i])}\n  ours:            ${hex(b[i])}`);
    return !same;
  });
  if (failures.length > 0) fail(`${failures.length} request(s) differ`);
  process.exit(0);
}

main().catch((e) => fail(e.stack || String(e)));
