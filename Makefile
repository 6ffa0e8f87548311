# Entry points: make run (the viewer on the demo catalogue), make test (everything CI checks).
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
SUDO       := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

export CCACHE_BASEDIR  := $(CURDIR)
export CCACHE_NOHASHDIR := true
CMAKE_FLAGS ?= -DCMAKE_CXX_COMPILER_LAUNCHER=ccache

# Debian 12 (bookworm) package names. RUN_PACKAGES build and start the
# viewer and the catalogue tool; TEST_PACKAGES add what the tests, fuzzers and benchmarks use.
RUN_PACKAGES := cmake make g++ ccache pkgconf \
  qt6-base-dev qt6-base-dev-tools libjpeg62-turbo-dev zlib1g-dev libcups2-dev libglib2.0-dev \
  fonts-liberation fonts-liberation2 fonts-dejavu-core qt6-wayland
TEST_PACKAGES := clang libclang-rt-14-dev python3 python3-pil \
  libgtest-dev libbenchmark-dev libgif-dev giflib-tools libdeflate-dev desktop-file-utils \
  xvfb xauth xdotool x11-utils weston imagemagick poppler-utils zip unzip p7zip-full time \
  cups cups-daemon cups-client cups-filters printer-driver-cups-pdf \
  lintian appstream man-db openbox python3-xlib
# What `make package` needs beyond RUN_PACKAGES: dpkg-shlibdeps and the file type check
# that CPack runs before it.
PACKAGE_PACKAGES := dpkg-dev file
PACKAGES := $(RUN_PACKAGES) $(TEST_PACKAGES) $(PACKAGE_PACKAGES)

.PHONY: deps run-deps package-deps configure build test sanitize-test fuzz fuzz-run fuzz-inflate-run bench install clean
.PHONY: fuzz-report fuzz-report-run fuzz-qt-configure fuzz-gif fuzz-gif-run tsan-test

deps: PACKAGES_WANTED := $(PACKAGES)
run-deps: PACKAGES_WANTED := $(RUN_PACKAGES)
package-deps: PACKAGES_WANTED := $(RUN_PACKAGES) $(PACKAGE_PACKAGES)
deps run-deps package-deps:
	@missing=$$(for p in $(PACKAGES_WANTED); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	  echo "installing: $$missing"; \
	  export DEBIAN_FRONTEND=noninteractive; \
	  $(SUDO) apt-get update -qq >/dev/null && \
	  $(SUDO) apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 $$missing >/dev/null; \
	fi

configure:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DTRICKFOLIO_TESTS=ON >/dev/null

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: deps build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# The demo catalogue from data/ into $(BUILD)/bin/trickfolio.dat; `build` packs it as well.
.PHONY: catalogue
catalogue: configure
	cmake --build $(BUILD) -j$(JOBS) --target catalogue

# Only what the viewer needs - the viewer, the catalogue tool, the demo catalogue packed into
# $(BUILD)/bin/trickfolio.dat - so a fresh clone starts without the test tools.
.PHONY: viewer run
viewer: run-deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DTRICKFOLIO_TESTS=OFF >/dev/null
	cmake --build $(BUILD) -j$(JOBS) --target trickfolio trickfolio-cat catalogue

run: viewer
	cd $(BUILD)/bin && ./trickfolio

# Everything that `make install` and `make package` install, without the tests.
.PHONY: product
product: run-deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DTRICKFOLIO_TESTS=OFF >/dev/null
	cmake --build $(BUILD) -j$(JOBS)

# make install PREFIX=~/.local: the viewer and its catalogue under PREFIX/lib/trickfolio with a
# link in PREFIX/bin, the tools, the manual pages, the desktop entry, its icons and the
# AppStream metadata.
PREFIX ?= /usr/local
install: product
	cmake --install $(BUILD) --prefix $(PREFIX)

# make package: the same files for /usr as a Debian package, $(BUILD)/trickfolio_VERSION_ARCH.deb.
.PHONY: package
package: package-deps product
	cd $(BUILD) && cpack >/dev/null
	@ls $(BUILD)/trickfolio_*.deb

# The whole project once more under AddressSanitizer and UndefinedBehaviorSanitizer. The Qt-free
# core is checked for leaks as well; Qt and fontconfig keep caches to the process's end, which
# the leak check would report, so the rest (and the test discovery at build time) runs without.
# The Debian package is checked from the plain build only.
SAN_CORE := ^(framework|archive|gif|catalogue)$$
sanitize-test: deps
	cmake -S . -B $(SAN_BUILD) $(CMAKE_FLAGS) -DTRICKFOLIO_CORE_ONLY=OFF \
	  -DTRICKFOLIO_SANITIZE=ON -DTRICKFOLIO_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null
	ASAN_OPTIONS=detect_leaks=0 cmake --build $(SAN_BUILD) -j$(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SAN_BUILD) --output-on-failure -j$(JOBS) -L '$(SAN_CORE)'
	ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SAN_BUILD) --output-on-failure -j$(JOBS) -LE '$(SAN_CORE)' -E '^packaging_'

fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DTRICKFOLIO_CORE_ONLY=ON -DTRICKFOLIO_FUZZ=ON \
	  -DTRICKFOLIO_BENCH=OFF >/dev/null
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_unzip fuzz_legacy fuzz_inflate

# make fuzz-run FUZZ_SECONDS=1800: seeds from real zip tools, then libFuzzer on the reader.
FUZZ_SECONDS ?= 600
fuzz-run: fuzz
	bash fuzz/make-seeds.sh fuzz/corpus-work
	$(FUZZ_BUILD)/bin/fuzz_unzip -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 \
	  -rss_limit_mb=2048 -artifact_prefix=fuzz/corpus-work/crash- fuzz/corpus-work

# make fuzz-inflate-run FUZZ_SECONDS=1800: zlib's raw streams, then the Deflate decoder's ways
# compared with one another.
fuzz-inflate-run: fuzz
	bash fuzz/make-inflate-seeds.sh fuzz/corpus-inflate-work
	$(FUZZ_BUILD)/bin/fuzz_inflate -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 \
	  -rss_limit_mb=2048 -artifact_prefix=fuzz/corpus-inflate-work/crash- fuzz/corpus-inflate-work


# make fuzz-report-run FUZZ_SECONDS=1800: streams recorded by the stream writer, then the
# replay painting on offscreen images. It needs Qt, so it has a build of its own, shared with
# the GIF fuzzer; fontconfig keeps its caches to the process's end, which the leak check
# would report.
FUZZ_REPORT_BUILD ?= build-fuzz-report
fuzz-qt-configure: deps
	CXX=clang++ cmake -S . -B $(FUZZ_REPORT_BUILD) -DTRICKFOLIO_FUZZ=ON -DTRICKFOLIO_TESTS=OFF \
	  -DTRICKFOLIO_BENCH=OFF >/dev/null

fuzz-report: fuzz-qt-configure
	cmake --build $(FUZZ_REPORT_BUILD) -j$(JOBS) --target fuzz_replay make_replay_seeds

fuzz-report-run: fuzz-report
	mkdir -p fuzz/corpus-replay-work
	ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen \
	  $(FUZZ_REPORT_BUILD)/bin/make_replay_seeds fuzz/corpus-replay-work
	ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen $(FUZZ_REPORT_BUILD)/bin/fuzz_replay \
	  -max_total_time=$(FUZZ_SECONDS) -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
	  -artifact_prefix=fuzz/corpus-replay-work/crash- fuzz/corpus-replay-work

# make soak SOAK_SECONDS=1800 [SOAK_SEED=n]: the viewer under the sanitizers, driven by random
# input under Xvfb and openbox with a misbehaving banner site and the tests' CUPS queue. Not
# part of `make test`; the seed it prints replays a run's choices.
SOAK_BUILD   ?= build-soak
SOAK_SECONDS ?= 600
.PHONY: soak
soak: deps
	cmake -S . -B $(SOAK_BUILD) $(CMAKE_FLAGS) -DTRICKFOLIO_SANITIZE=ON -DTRICKFOLIO_BENCH=OFF \
	  -DCMAKE_BUILD_TYPE=Debug >/dev/null
	ASAN_OPTIONS=detect_leaks=0 cmake --build $(SOAK_BUILD) -j$(JOBS) \
	  --target trickfolio catalogue test-cups-queue
	/usr/bin/python3 tests/app/soak.py $(SOAK_BUILD)/bin $(SOAK_BUILD)/bin/test-cups-queue \
	  --seconds $(SOAK_SECONDS) $(if $(SOAK_SEED),--seed $(SOAK_SEED))

# make fuzz-gif-run FUZZ_SECONDS=1800: seeds from Pillow and ImageMagick, then the GIF reader,
# the decoder and the animator's composition.
fuzz-gif: fuzz-qt-configure
	cmake --build $(FUZZ_REPORT_BUILD) -j$(JOBS) --target fuzz_gif

fuzz-gif-run: fuzz-gif
	bash fuzz/make-gif-seeds.sh fuzz/corpus-gif-work
	ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen $(FUZZ_REPORT_BUILD)/bin/fuzz_gif \
	  -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
	  -artifact_prefix=fuzz/corpus-gif-work/crash- fuzz/corpus-gif-work

# The GIF timer's and animator's tests under ThreadSanitizer, with the system's Qt. Qt is not
# instrumented and hands work between threads through futexes the sanitizer cannot see, so
# its own memory accesses are left out (ignore_noninstrumented_modules); tests/tsan.supp
# keeps any report that still lands inside Qt, with the reason it is not ours.
TSAN_BUILD ?= build-tsan
tsan-test: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_FLAGS) -DTRICKFOLIO_TSAN=ON -DTRICKFOLIO_BENCH=OFF >/dev/null
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target skin_test_RxTimer skin_test_GIFCtrl
	for t in RxTimer GIFCtrl; do \
	  TSAN_OPTIONS="ignore_noninstrumented_modules=1 suppressions=$(CURDIR)/tests/tsan.supp halt_on_error=1" \
	    $(TSAN_BUILD)/bin/skin_test_$$t || exit 1; \
	done

bench: deps build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(SOAK_BUILD) $(FUZZ_BUILD) $(FUZZ_REPORT_BUILD) $(TSAN_BUILD)
