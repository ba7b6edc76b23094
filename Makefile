# The README's commands. Each one installs what a fresh Debian 12 lacks, then configures and builds.
#   make run    build and start the program
#   make test   build and run every test, also under AddressSanitizer + UndefinedBehaviorSanitizer
#   make bench  run the benchmarks and print the figures

PAQUETES := cmake ninja-build g++ make pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev libfontconfig-dev \
            libjpeg-dev libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2 \
            qt6-wayland xvfb xauth xdotool xclip libx11-dev libxcb1-dev libxtst-dev x11-utils desktop-file-utils appstream dpkg-dev file clang libclang-rt-14-dev \
            gstreamer1.0-plugins-base python3 \
            at-spi2-core python3-pyatspi dbus-daemon \
            qt6-speech-dev qt6-declarative-dev qt6-speech-speechd-plugin speech-dispatcher \
            speech-dispatcher-espeak-ng espeak-ng
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
JOBS ?= $(shell nproc)

.PHONY: all deps build build-asan run test test-normal test-asan bench fuzz package install clean

all: build

deps:
	@faltan=$$(for p in $(PAQUETES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$faltan" ]; then \
	  echo "Installing: $$faltan"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -qq && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $$faltan; \
	fi

build: deps
	cmake --preset normal >/dev/null
	cmake --build --preset normal -j $(JOBS)

build-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)

run: build
	./build/normal/pulsoteclado

test-normal: build
	ctest --preset normal -j $(JOBS)

test-asan: build-asan
	ctest --preset asan -j $(JOBS)

test: test-normal test-asan

bench: build
	@dpkg-query -W -f='$${Status}\n' pulseaudio 2>/dev/null | grep -q 'install ok installed' || \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends pulseaudio
	cmake --build --preset normal -j $(JOBS) --target benchmarks
	./tests/bench/ejecutar.sh build/normal

fuzz: deps
	./tests/fuzz/ejecutar.sh $${FUZZ_SEGUNDOS:-60}

package: build
	cd build/normal && cpack -G DEB

clean:
	rm -rf build
