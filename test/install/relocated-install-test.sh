#!/usr/bin/env bash
# The installed tree as a studio deploys it: `cmake --install` into a temporary prefix, the whole
# tree moved to another folder (with a blank in its name), and from there the tool, the Slurm
# submission script, the lens data report, the Python module and both plug-ins must run. Nothing
# in the tree may name the checkout or the build folder, and every RUNPATH must be relative to
# $ORIGIN.
# Usage: relocated-install-test.sh BUILD SOURCE PLUGIN-LOAD-CHECK LENS-CORRECT-EXAMPLE PYTHON
#        PLUGIN-DIR PYTHON-DIR
set -euo pipefail
build=$1 source=$2 loader=$3 example=$4 python=$5 plugin_dir=$6 python_dir=$7

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
if ! clinfo -l 2> /dev/null | grep -q 'Device #'; then
  echo "No OpenCL device: lenscorrect cannot correct a frame; skipped."
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/lenscorrect-install.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/staged" > "$work/install.log"
mv "$work/staged" "$work/studio tree"
root="$work/studio tree"
for file in bin/lenscorrect bin/lenscorrect-slurm bin/lenscorrect-report; do
  [ -x "$root/$file" ] || fail "$file is not installed: $(find "$root" -type f)"
done
for file in "$plugin_dir/LensShadingCorrectionPlugin.so" "$plugin_dir/LensDistortionCorrectionPlugin.so"; do
  [ -f "$root/$file" ] || fail "$file is not installed: $(find "$root" -type f)"
done
module=$(find "$root/$python_dir" -name 'lenscorrection*.so')
[ -n "$module" ] || fail "the Python module is not installed under $python_dir"

# Relocatable: no path of the checkout or the build folder, RUNPATHs relative to $ORIGIN only.
for path in "$source" "$build"; do
  if grep -rlaF -- "$path" "$root"; then
    fail "the files above name $path"
  fi
done
while IFS= read -r -d '' file; do
  if ! head -c 4 "$file" | grep -q 'ELF'; then
    continue
  fi
  while read -r entry; do
    [[ $entry == '$ORIGIN'* ]] || fail "${file#"$root"/} has the RUNPATH entry $entry"
  done < <(readelf -d "$file" | sed -n 's/.*R\(UN\)\{0,1\}PATH.*\[\(.*\)\]/\2/p' | tr ':' '\n')
done < <(find "$root" -type f -print0)

"$root/bin/lenscorrect" --version | grep -q '^lenscorrect [0-9]' || fail "lenscorrect --version"

"$example" --directory "$work/clip" --frames 2 --width 192 --clip-only > /dev/null
correct=("$work/clip/clean/chart.####.tif" --correction-file "$work/clip/A001C001.tlcf"
  --clip-name A001C001_260614_R1AB.mov --shading remove --distortion undistort)
"$root/bin/lenscorrect" "${correct[@]}" --frames 1001 -q -o "$work/out/A001C001.####.exr"
[ -s "$work/out/A001C001.1001.exr" ] || fail "the installed lenscorrect wrote no frame"

# The submission script finds the tool beside it and names it in the job.
script=$("$root/bin/lenscorrect-slurm" --range 1001-1002 --chunk 1 --job-dir "$work/job" \
  --no-submit -- "${correct[@]}" -q -o "$work/farm/A001C001.####.exr")
grep -qF "exec $(printf '%q' "$root/bin/lenscorrect") " "$script" \
  || fail "the job does not run the installed tool: $(tail -n 1 "$script")"

# The lens data report finds the tool beside it too.
"$root/bin/lenscorrect" "${correct[@]}" --dry-run --json "$work/mapping.json" 2> /dev/null
"$root/bin/lenscorrect-report" "$work/mapping.json" -o "$work/report" --plate > /dev/null
for file in lens-data.png index.html preview.1001.png displacement.1002.png; do
  [ -s "$work/report/$file" ] || fail "the installed lenscorrect-report wrote no $file"
done

PYTHONPATH="$root/$python_dir" "$python" - "$root" "$work/clip/A001C001.tlcf" \
  "$work/mapping.json" << 'PY'
import sys
import lenscorrection

root, lens_file, mapping_file = sys.argv[1], sys.argv[2], sys.argv[3]
assert lenscorrection.__file__.startswith(root), lenscorrection.__file__
lens = lenscorrection.LensData(lens_file)
assert list(lens.frame_numbers[:2]) == [0, 1], lens.frame_numbers[:2]
assert lenscorrection.read_frame_mapping(mapping_file).ready
print("module", lenscorrection.__file__, "reads", lens_file, "and", mapping_file)
PY

"$loader" "$root/$plugin_dir/LensShadingCorrectionPlugin.so" \
  "$root/$plugin_dir/LensDistortionCorrectionPlugin.so"
echo "The tree installed and moved to $root runs the tool, the module and both plug-ins."
