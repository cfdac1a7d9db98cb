#!/usr/bin/env python3
"""Writes the seed corpus of the fuzz targets into corpus/ beside this file.

    make_seed_corpus.py WUBBLE_RENDER

The corpus is kept in the repository; run this again only to change it.
"""
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(cid, body, pad=False):
    """A chunk, and with `pad` the pad byte RIFF puts after an odd body."""
    tail = b'\0' if pad and len(body) % 2 else b''
    return cid + struct.pack('<I', len(body)) + body + tail


def fmt_body(channels=1, rate=44100, bits=16, size=18, tag=1):
    align = channels * bits // 8
    body = struct.pack('<HHIIHH', tag, channels, rate, rate * align, align, bits)
    return (body + b'\0\0')[:size]


PCM_GUID_TAIL = bytes.fromhex('000000001000800000aa00389b71')


def extensible_fmt_body(channels=1, bits=16, sub_format=1):
    """WAVE_FORMAT_EXTENSIBLE: the record, 22 bytes of extension, the GUID."""
    body = fmt_body(channels=channels, bits=bits, tag=0xFFFE, size=16)
    mask = 0x4 if channels == 1 else 0x3
    return body + struct.pack('<HHIH', 22, bits, mask, sub_format) + PCM_GUID_TAIL


def wav(fmt, pcm, between=b'', riff_size=None):
    body = b'WAVE' + chunk(b'fmt ', fmt) + between + chunk(b'data', pcm)
    size = len(body) if riff_size is None else riff_size
    return b'RIFF' + struct.pack('<I', size) + body


def ramp(count):
    return b''.join(struct.pack('<h', (i * 2731) % 65536 - 32768) for i in range(count))


def sound_images(render):
    out = {}
    with tempfile.TemporaryDirectory() as tmp:
        # Short generated sounds: plain, mutated at full volume, negative volume.
        for name, args in [('generated_38', ['38']),
                           ('generated_242_m2_v127', ['242', '2', '127']),
                           ('generated_286_m1_vneg40', ['286', '1', '-40'])]:
            path = os.path.join(tmp, name + '.wav')
            subprocess.run([render] + args + ['-o', path], check=True)
            with open(path, 'rb') as f:
                out[name] = f.read()
    image = out['generated_38']
    out['truncated_in_header_40'] = image[:40]
    out['truncated_at_pcm_46'] = image[:46]
    out['truncated_mid_sample_47'] = image[:47]
    out['truncated_mid_data'] = image[:len(image) // 2 + 1]
    pcm = ramp(64)
    out['fmt16'] = wav(fmt_body(size=16), pcm)
    out['fmt18'] = wav(fmt_body(), pcm)
    out['odd_extra_chunk'] = wav(fmt_body(), pcm, between=chunk(b'LIST', b'abc'))  # no pad: not RIFF
    out['odd_extra_chunk_padded'] = wav(fmt_body(), pcm,
                                        between=chunk(b'LIST', b'abc', True) + chunk(b'junk', b'x' * 5, True))
    out['extensible_pcm16'] = wav(extensible_fmt_body(), pcm)
    out['extensible_pcm8_stereo'] = wav(extensible_fmt_body(channels=2, bits=8), bytes(range(64)))
    out['extensible_float'] = wav(extensible_fmt_body(bits=32, sub_format=3), pcm)
    out['extensible_cut_guid'] = wav(extensible_fmt_body()[:30], pcm)
    out['two_extra_chunks'] = wav(fmt_body(size=16), pcm,
                                  between=chunk(b'fact', b'\x40\0\0\0') + chunk(b'junk', b'x' * 7))
    out['riff_size_zero'] = wav(fmt_body(), pcm, riff_size=0)
    out['stereo8'] = wav(fmt_body(channels=2, bits=8), bytes(range(256)))
    out['stereo16_rate8000'] = wav(fmt_body(channels=2, rate=8000), pcm)
    out['mono8_odd_data'] = wav(fmt_body(bits=8), bytes(range(0, 254, 2)))
    out['data_size_past_end'] = image[:42] + struct.pack('<I', 0xFFFFFFF0) + image[46:200]
    out['no_data_chunk'] = b'RIFF\0\0\0\0WAVE' + chunk(b'fmt ', fmt_body()) + chunk(b'LIST', b'x' * 9)
    out['huge_chunk_size'] = (b'RIFF\0\0\0\0WAVE' + chunk(b'fmt ', fmt_body()) +
                              b'LIST' + struct.pack('<I', 0xFFFFFFF8) + chunk(b'data', pcm))
    out['float_format'] = wav(fmt_body(tag=3, bits=32), pcm)
    return out


def number_texts():
    texts = ['9837320', '0', '007', '-1', '2147483647', '2147483648', '-2147483648',
             '4294967295', '9999999999', '12ab', '- 5', ' \t+42', '', 'abc',
             '-0', '00000000000000000000123', '+-3', '18446744073709551617']
    return {'text_%02d' % i: t.encode() for i, t in enumerate(texts)}


def render_arg_lists():
    # Four bytes of bounds for the number check, then NUL-separated arguments.
    bounds = struct.pack('<hh', -8192, 16384)
    lists = [['9837320', '-o', 'out.wav'],
             ['-1', '2', '127', '-o', 'x.wav'],
             ['4294967295', '--params'],
             ['-2147483648', '+3', '--params'],
             ['5', '0', '-128', '-o', 'a.wav'],
             ['1', '2', '3', '4', '-o', 'f'],
             ['-o', 'f.wav', '7'],
             ['7', '--params', '--params'],
             ['7', '-o', ''],
             ['4294967296', '-o', 'f'],
             ['12x', '--params'],
             ['--help'],
             ['1', '--version'],
             ['3', '1000000', '-o', '-'],
             ['3', '1000001', '--bogus', '--params']]
    return {'args_%02d' % i: bounds + b'\0'.join(a.encode() for a in args)
            for i, args in enumerate(lists)}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sets = {'sound_image': sound_images(sys.argv[1]),
            'number_text': number_texts(),
            'render_args': render_arg_lists()}
    for target, files in sets.items():
        folder = os.path.join(HERE, 'corpus', target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), 'wb') as f:
                f.write(data)


if __name__ == '__main__':
    main()
