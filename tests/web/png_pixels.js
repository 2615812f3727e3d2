'use strict';
// The pixels of a PNG as Chromium writes its screenshots: 8 bits per
// channel, RGB or RGBA, not interlaced. Enough for the page's tests to read
// their screenshots without a picture library.

const zlib = require('zlib');

const Signature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

function paeth(left, up, upLeft) {
  const estimate = left + up - upLeft;
  const toLeft = Math.abs(estimate - left);
  const toUp = Math.abs(estimate - up);
  const toUpLeft = Math.abs(estimate - upLeft);
  if (toLeft <= toUp && toLeft <= toUpLeft)
    return left;
  return toUp <= toUpLeft ? up : upLeft;
}

function predict(filter, left, up, upLeft) {
  switch (filter) {
    case 0: return 0;
    case 1: return left;
    case 2: return up;
    case 3: return (left + up) >> 1;
    case 4: return paeth(left, up, upLeft);
    default: throw new Error(`PNG row filter ${filter} is not one of 0 to 4`);
  }
}

// { width, height, rgb }: rgb holds three bytes a pixel, rows from the top.
function decodePng(png) {
  if (!png.subarray(0, 8).equals(Signature))
    throw new Error('not a PNG');
  let header = null;
  const compressed = [];
  for (let offset = 8; offset < png.length;) {
    const length = png.readUInt32BE(offset);
    const type = png.toString('latin1', offset + 4, offset + 8);
    const body = png.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR')
      header = { width: body.readUInt32BE(0), height: body.readUInt32BE(4), depth: body[8], colour: body[9],
                 interlace: body[12] };
    else if (type === 'IDAT')
      compressed.push(body);
    offset += 12 + length;
  }
  if (!header || header.depth !== 8 || ![2, 6].includes(header.colour) || header.interlace !== 0)
    throw new Error(`unsupported PNG layout ${JSON.stringify(header)}`);

  const { width, height } = header;
  const channels = header.colour === 6 ? 4 : 3;
  const stride = width * channels;
  const filtered = zlib.inflateSync(Buffer.concat(compressed));
  const rgb = Buffer.alloc(width * height * 3);
  let previous = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const start = y * (stride + 1);
    const filter = filtered[start];
    const row = Buffer.from(filtered.subarray(start + 1, start + 1 + stride));
    for (let i = 0; i < stride; i++) {
      const left = i >= channels ? row[i - channels] : 0;
      const upLeft = i >= channels ? previous[i - channels] : 0;
      row[i] = (row[i] + predict(filter, left, previous[i], upLeft)) & 0xff;
    }
    for (let x = 0; x < width; x++)
      row.copy(rgb, (y * width + x) * 3, x * channels, x * channels + 3);
    previous = row;
  }
  return { width, height, rgb };
}

module.exports = { decodePng };
