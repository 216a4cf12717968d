// Installs the pinned node-simconnect into the build folder given as the only
// argument (which holds copies of package.json and package-lock.json), unless
// that exact version is already there.
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');

const folder = process.argv[2];
const lock = JSON.parse(fs.readFileSync(path.join(folder, 'package-lock.json'), 'utf8'));
const wanted = lock.packages['node_modules/node-simconnect'].version;
const installedManifest = path.join(folder, 'node_modules', 'node-simconnect', 'package.json');
if (fs.existsSync(installedManifest) && JSON.parse(fs.readFileSync(installedManifest, 'utf8')).version === wanted) {
  console.log(`node-simconnect ${wanted} already installed`);
  process.exit(0);
}
const npm = process.platform === 'win32' ? 'npm.cmd' : 'npm';
execFileSync(npm, ['ci', '--no-audit', '--no-fund', '--prefer-offline', '--loglevel=error'], {
  cwd: folder,
  stdio: 'inherit',
  timeout: 240000,
});
console.log(`node-simconnect ${wanted} installed`);
