#!/usr/bin/env bash
# Installs the Debian packages a job needs, or says exactly what to install.
#   scripts/deps.sh tour    what building and running kfs needs
#   scripts/deps.sh test    everything the test configurations and the fuzz targets need
#   scripts/deps.sh report  what scripts/benchmark-report.py needs (the benchmarks and the chart)
set -euo pipefail

tour_packages=(cmake ninja-build g++)
test_packages=("${tour_packages[@]}" libgtest-dev libbenchmark-dev libicu-dev unicode-data bzip2
               python3 pkg-config g++-mingw-w64-x86-64-posix wine wine64
               doxygen dpkg-dev file lintian man-db unzip clang-14 libclang-rt-14-dev
               clang-tidy-14 clang-format-14)
report_packages=("${tour_packages[@]}" libbenchmark-dev libicu-dev python3-matplotlib)

case "${1:-}" in
tour) wanted=("${tour_packages[@]}") ;;
test) wanted=("${test_packages[@]}") ;;
report) wanted=("${report_packages[@]}") ;;
*) echo "usage: scripts/deps.sh tour|test|report" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
