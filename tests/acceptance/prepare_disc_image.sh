#!/bin/sh
# Fixture of the disc image scenario: the example medium with this build's
# corvane.exe goes through scripts/make-iso (checked by this build's
# corvane-check.exe under Wine), and the image is read back with xorriso into
# <build>/acceptance/disc/content, which the scenario maps to drive M:.
# Usage: prepare_disc_image.sh SOURCE_DIR BUILD_DIR
set -eu
src=$1
build=$2
disc="$build/acceptance/disc"
rm -rf "$disc"
mkdir -p "$disc/medium" "$disc/content"
cp "$src"/examples/medium/* "$disc/medium/"
cp "$build/bin/corvane.exe" "$disc/medium/"
cat > "$disc/corvane-check" <<SH
#!/bin/sh
exec "$build/wine-run" "$build/bin/corvane-check.exe" "\$@"
SH
chmod +x "$disc/corvane-check"
CORVANE_CHECK="$disc/corvane-check" "$src/scripts/make-iso" "$disc/medium" "$disc/example.iso"
xorriso -no_rc -osirrox on -indev "$disc/example.iso" -extract / "$disc/content"
chmod -R u+w "$disc/content"
