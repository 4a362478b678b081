#!/usr/bin/env bash
# noise_job.sh OUT: a one-page job of about 2 MB of image noise that pdfwrite must keep as it is,
# so its PDF is larger than 1 MB (for tests of a full disk).
set -euo pipefail
{
  printf '%%!PS-Adobe-3.0\n%%%%Title: Noise\n%%%%EndComments\n'
  printf '<< /AutoFilterColorImages false /ColorImageFilter /FlateEncode >> setdistillerparams\n'
  printf '/DeviceRGB setcolorspace 600 800 scale\n'
  printf '<< /ImageType 1 /Width 800 /Height 1000 /BitsPerComponent 8 /Decode [0 1 0 1 0 1]\n'
  printf '/ImageMatrix [800 0 0 -1000 0 1000] /DataSource currentfile /ASCIIHexDecode filter >> image\n'
  head -c 2400000 /dev/urandom | od -An -v -tx1 | tr -d ' '
  printf '>\nshowpage\n'
} >"$1"
