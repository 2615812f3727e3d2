#!/usr/bin/env node
'use strict';
/* The browser's effect file runs the desktop's simulation and composite: the
 * sections that GLSL 1.50 and GLSL ES 3.00 both accept must stay the same
 * code in both files, so that a change to one reaches the other.
 *
 *     node shared_sections.js DESKTOP_EFFECT WEB_EFFECT
 */

const fs = require('fs');

const SharedSections = ['tf.VS', 'Composite.VS', 'Composite.FS'];

// Section name to body, cut at "--" lines as the store cuts them.
function sections(file) {
  const bodies = {};
  let current = null;
  for (const line of fs.readFileSync(file, 'latin1').split('\n')) {
    if (line.startsWith('--')) {
      const name = /[A-Za-z0-9_.]+/.exec(line.slice(2));
      current = name ? name[0] : null;
      if (current)
        bodies[current] = [];
    } else if (current) {
      bodies[current].push(line);
    }
  }
  return bodies;
}

const [desktopFile, webFile] = process.argv.slice(2);
const desktop = sections(desktopFile);
const web = sections(webFile);
const differing = SharedSections.filter(name =>
  !desktop[name] || !web[name] || desktop[name].join('\n') !== web[name].join('\n'));
if (differing.length > 0) {
  console.error(`FAILED: ${differing.join(', ')} differ between ${desktopFile} and ${webFile}`);
  process.exitCode = 1;
} else {
  console.log(`${SharedSections.join(', ')}: the same in both effect files`);
}
