#!/usr/bin/env python3
"""Writes the PostScript jobs the benchmarks run on.

  make_jobs.py fonts OUT SIZE_MB FONTS   a job of SIZE_MB MiB with FONTS embedded Type 1 font programs
  make_jobs.py big OUT SIZE_MB           a job of SIZE_MB MiB with a full DSC header and plain pages
  make_jobs.py pages OUT PAGES [FONTS]   a job of PAGES pages, each with text and its page marker, after FONTS
                                         embedded Type 1 fonts that Ghostscript can run (40 KiB each)
  make_jobs.py images OUT PAGES SIZE_MB  a job of about SIZE_MB MiB: PAGES pages, each a hex-coded photo-sized image
"""
import random
import sys

HEX_END = b"6641d3dbc7cda5576ac556416da0051814c2705e"


def header(title, pages):
    return (b"%!PS-Adobe-3.0\r\n"
            b"%%Title: " + title + b"\r\n"
            b"%%Creator: Quorvel Folimar benchmarks\r\n"
            b"%%For: user01\r\n"
            b"%%CreationDate: 1/5/2010 9:07:03\r\n"
            b"%%Pages: " + pages + b"\r\n"
            b"%%BoundingBox: 0 0 595 842\r\n"
            b"%%EndComments\r\n"
            b"%%BeginProlog\r\n/Helvetica findfont 11 scalefont setfont\r\n%%EndProlog\r\n")


def page(number):
    lines = [b"%%%%Page: %d %d\r\n" % (number, number), b"(%%%%[Page: %d]%%%%) = flush\r\n" % number]
    for row in range(40):
        lines.append(b"72 %d moveto (Page %d, line %d: the quick brown fox jumps over the lazy dog.) show\r\n"
                     % (790 - row * 18, number, row + 1))
    lines.append(b"showpage\r\n")
    return b"".join(lines)


def font(rng, index, size):
    """One embedded font and the number of bytes the strip passes cut from it."""
    clear = b"%%%%BeginResource: font F%d\r\n/F%d 12 dict begin /FontName /F%d def currentdict end\r\n" % (
        index, index, index)
    if index % 3:
        # Binary eexec part ended by 512 zeros and a cleartomark line.
        cut = (b"mark currentfile eexec\r\n" + rng.randbytes(size) + b"\r\n" +
               (b"0" * 64 + b"\r\n") * 8 + b"cleartomark\r\n")
        return clear + cut + b"%%EndResource\r\n", len(cut)
    # Hex eexec part ended by the driver's fixed hex line.
    data = rng.randbytes(size // 2).hex().encode()
    cut = (b"currentfile eexec\r\n" + b"\r\n".join(data[i:i + 64] for i in range(0, len(data), 64)) + b"\r\n" +
           HEX_END + b"\r\n")
    return clear + cut + b"%%EndResource\r\n", len(cut)


def runnable_font(index, size):
    """An embedded font whose encrypted part Ghostscript runs (and the strip passes cut), as a driver writes it."""
    # The encrypted text is a font program's size of comments, then what ends every eexec part.
    plain = b"% charstrings\n" * (size // 14) + b"mark currentfile closefile\n"
    r, data = 55665, bytearray()
    for p in b"\0\0\0\0" + plain:
        c = p ^ (r >> 8)
        r = ((c + r) * 52845 + 22719) & 0xFFFF
        data.append(c)
    hexed = data.hex().encode()
    return (b"%%%%BeginResource: font F%d\r\n%%!FontType1-1.0: F%d\r\nmark currentfile eexec\r\n" % (index, index) +
            b"\r\n".join(hexed[i:i + 64] for i in range(0, len(hexed), 64)) + b"\r\n" +
            (b"0" * 64 + b"\r\n") * 8 + b"cleartomark\r\n%%EndResource\r\n")


def write_fonts_job(out, size_mb, fonts):
    """Spreads the fonts evenly between pages; returns the bytes the passes must cut."""
    rng = random.Random(1)
    total = size_mb << 20
    block = b"".join(page(n) for n in range(1, 21))
    cut_total = 0
    with open(out, "wb") as f:
        f.write(header(b"Fonts", b"(atend)"))
        written = f.tell()
        for i in range(fonts):
            text, cut = font(rng, i, 40 * 1024)
            f.write(text)
            cut_total += cut
            # Pages up to this font's share of the size.
            target = total * (i + 1) // (fonts + 1)
            while f.tell() + len(block) < target:
                f.write(block)
        trailer = b"%%Trailer\r\n%%Pages: 20\r\n%%EOF\r\n"
        while f.tell() + len(block) + len(trailer) < total:
            f.write(block)
        f.write(b"%" * (total - f.tell() - len(trailer) - 2) + b"\r\n")
        f.write(trailer)
        written = f.tell()
    return written, cut_total


def write_big_job(out, size_mb):
    total = size_mb << 20
    block = b"".join(page(n) for n in range(1, 21))
    trailer = b"%%Trailer\r\n%%EOF\r\n"
    with open(out, "wb") as f:
        f.write(header(b"Caf\\351 Q1/Q2", b"20"))
        while f.tell() + len(block) + len(trailer) < total:
            f.write(block)
        f.write(b"%" * (total - f.tell() - len(trailer) - 2) + b"\r\n")
        f.write(trailer)


def write_pages_job(out, pages, fonts=0):
    with open(out, "wb") as f:
        f.write(header(b"Fifty pages", str(pages).encode()))
        for i in range(fonts):
            f.write(runnable_font(i, 40 * 1024))
        for n in range(1, pages + 1):
            f.write(page(n))
        f.write(b"(%%[LastPage]%%) = flush\r\n%%Trailer\r\n%%EOF\r\n")


def write_images_job(out, pages, size_mb):
    """Each page holds one RGB image in hex whose size makes the job about size_mb MiB."""
    rng = random.Random(2)
    side = int(((size_mb << 20) / pages / 2 / 3) ** 0.5)  # two hex digits per byte, three bytes per pixel
    with open(out, "wb") as f:
        f.write(header(b"Images", str(pages).encode()))
        for n in range(1, pages + 1):
            f.write(b"%%%%Page: %d %d\r\n(%%%%[Page: %d]%%%%) = flush\r\n" % (n, n, n))
            f.write(b"gsave 36 100 translate 520 520 scale /DeviceRGB setcolorspace\r\n"
                    b"<< /ImageType 1 /Width %d /Height %d /BitsPerComponent 8 /Decode [0 1 0 1 0 1]\r\n"
                    b"/ImageMatrix [%d 0 0 -%d 0 %d] /DataSource currentfile /ASCIIHexDecode filter >> image\r\n"
                    % (side, side, side, side, side))
            # A smooth picture with some grain, as a photograph would be.
            row = bytes((x * 255 // side + n * 17) % 256 for x in range(side * 3))
            for y in range(side):
                grain = rng.randbytes(side * 3)
                line = bytes((a + (b & 15)) % 256 for a, b in zip(row, grain)).hex().encode()
                f.write(b"\r\n".join(line[i:i + 128] for i in range(0, len(line), 128)) + b"\r\n")
            f.write(b">\r\ngrestore showpage\r\n")
        f.write(b"(%%[LastPage]%%) = flush\r\n%%Trailer\r\n%%EOF\r\n")


def main(argv):
    if len(argv) == 5 and argv[1] == "fonts":
        size, cut = write_fonts_job(argv[2], int(argv[3]), int(argv[4]))
        print(size, cut)
    elif len(argv) == 4 and argv[1] == "big":
        write_big_job(argv[2], int(argv[3]))
    elif len(argv) == 5 and argv[1] == "images":
        write_images_job(argv[2], int(argv[3]), int(argv[4]))
    elif len(argv) in (4, 5) and argv[1] == "pages":
        write_pages_job(argv[2], int(argv[3]), int(argv[4]) if len(argv) == 5 else 0)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
