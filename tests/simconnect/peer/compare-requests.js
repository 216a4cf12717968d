// Our client and node-simconnect, an independent one, make the same calls
// against two loopback listeners; what each puts on the wire must be the same,
// byte for byte, so that our encoder and our stand-in cannot agree on a
// mistake without this check noticing.
//
// One difference is arbitrary and expected: the serial number in bytes 12-15
// of each request, which the simulator only echoes back in exception reports.
// node-simconnect numbers its requests from 0, ours from 1 (so that serial 0
// never names one of our requests); the check requires ours to be exactly
// node's plus one, request by request.
//
// usage: node compare-requests.js <path of simconnect_peer_client>
'use strict';
const { execFile } = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const { open, Protocol, SimConnectDataType } = require('node-simconnect');

const ourClient = path.resolve(process.argv[2]);
// The calls, in order; simconnect_peer_client (CaptureClient.cpp) makes the
// same ones.
const kRequestCount = 6;  // open, map, two definitions, request, transmit
setTimeout(() => fail('timed out'), 15000);

function fail(why) {
  console.error(`FAIL: ${why}`);
  process.exit(1);
}

// The open answer, written here from the protocol's layout rather than taken
// from our encoder: 12-byte header, 256-byte name, ten words.
function openAnswer() {
  const answer = Buffer.alloc(308);
  answer.writeUInt32LE(308, 0);
  answer.writeUInt32LE(5, 4);
  answer.writeUInt32LE(2, 8);
  answer.write('Capture listener', 12, 'latin1');
  return answer;
}

// Listens on 127.0.0.1, answers the open request and gathers every byte the
// client sends until it has sent `count` requests.
function capture(count) {
  return new Promise((resolveListening) => {
    let resolveDone;
    const done = new Promise((r) => (resolveDone = r));
    const server = net.createServer((socket) => {
      let bytes = Buffer.alloc(0);
      let answered = false;
      socket.on('data', (chunk) => {
        bytes = Buffer.concat([bytes, chunk]);
        const requests = split(bytes);
        if (!answered && requests.length >= 1) {
          answered = true;
          socket.write(openAnswer());
        }
        if (requests.length >= count) {
          resolveDone(requests);
          socket.destroy();
          server.close();
        }
      });
      socket.on('error', () => {});
    });
    server.listen(0, '127.0.0.1', () => resolveListening({ port: server.address().port, done }));
  });
}

function split(bytes) {
  const requests = [];
  for (let at = 0; at + 4 <= bytes.length; ) {
    const size = bytes.readUInt32LE(at);
    if (size < 16 || at + size > bytes.length) break;
    requests.push(bytes.subarray(at, at + size));
    at += size;
  }
  return requests;
}

async function runNode(port) {
  const { handle } = await open('Request Data', Protocol.KittyHawk, { host: '127.0.0.1', port });
  handle.on('error', () => {});
  handle.mapClientEventToSimEvent(2, 'NAV1_STBY_SET');
  handle.addToDataDefinition(0, 'NAV STANDBY FREQUENCY:1', 'MHz', SimConnectDataType.FLOAT64, 0.0, 0xffffffff);
  handle.addToDataDefinition(1, 'TRANSPONDER CODE:1', 'BCO16', SimConnectDataType.INT32, 0.0, 0xffffffff);
  handle.requestDataOnSimObject(0, 0, 0, 3, 0, 0, 0, 0);
  handle.transmitClientEvent(0, 2, 0x11150, 1, 0x10);
}

function runOurs(port) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vp-peer-'));
  fs.writeFileSync(path.join(folder, 'SimConnect.cfg'), `[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=${port}\n`);
  return new Promise((resolve) => {
    execFile(ourClient, [], { cwd: folder, timeout: 10000 }, (error, stdout, stderr) => {
      fs.rmSync(folder, { recursive: true, force: true });
      if (error) fail(`our client failed: ${error.message}\n${stderr}`);
      resolve();
    });
  });
}

function hex(buffer) {
  return buffer.toString('hex').replace(/(.{8})/g, '$1 ').trim();
}

async function main() {
  const nodeSide = await capture(kRequestCount);
  const ourSide = await capture(kRequestCount);
  await runNode(nodeSide.port);
  await runOurs(ourSide.port);
  const theirs = await nodeSide.done;
  const ours = await ourSide.done;

  const names = ['open', 'map client event', 'add to data definition 0', 'add to data definition 1',
                 'request data on sim object', 'transmit client event'];
  let failures = 0;
  for (let i = 0; i < kRequestCount; ++i) {
    const a = theirs[i];
    const b = ours[i];
    const serialA = a.readUInt32LE(12);
    const serialB = b.readUInt32LE(12);
    const masked = (buffer) => {
      const copy = Buffer.from(buffer);
      copy.writeUInt32LE(0, 12);
      return copy;
    };
    if (!masked(a).equals(masked(b))) {
      ++failures;
      console.error(`differs: ${names[i]}\n  node-simconnect: ${hex(a)}\n  ours:            ${hex(b)}`);
    } else if (serialB !== serialA + 1) {
      ++failures;
      console.error(`serials: ${names[i]} node-simconnect ${serialA}, ours ${serialB}`);
    } else {
      console.log(`same: ${names[i]} (${a.length} bytes; serial ${serialA} and ${serialB})`);
    }
  }
  if (failures > 0) fail(`${failures} request(s) differ`);
  console.log(`${kRequestCount} passed, 0 failed`);
  process.exit(0);
}

main().catch((e) => fail(e.stack || String(e)));
