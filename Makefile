# Two commands do everything: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE := build/release
TEST := build/test

.PHONY: deps run test build-release build-test install package bench fuzz screenshot format clean

deps:
	@scripts/install-deps

build-release: deps
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DPATCHERY_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE) -j$(JOBS) --target patchery icons

# `make install PREFIX=$$HOME/.local`; DESTDIR is honoured for staged installs.
PREFIX ?= /usr/local
# Installed for use (no DESTDIR), the prefix's MIME database and handlers' table are brought up
# to date so that the desktop knows layouts at once, as the package's triggers do for /usr.
install: build-release
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE) --prefix "$(PREFIX)"
	@if [ -z "$(DESTDIR)" ]; then \
	    ! command -v update-mime-database >/dev/null || update-mime-database "$(PREFIX)/share/mime"; \
	    ! command -v update-desktop-database >/dev/null || \
	        update-desktop-database "$(PREFIX)/share/applications"; \
	fi

# The Debian package, with the same files under /usr: build/release/patchery_<version>_<arch>.deb,
# checked by lintian where it is installed: an error or a warning fails. lintian is given a
# temporary folder of its own, as it leaves a file behind in it at every run.
package: build-release
	cd $(RELEASE) && rm -f patchery_*.deb && cpack -G DEB
	@if command -v lintian >/dev/null; then \
	    echo "lintian $(RELEASE)/patchery_*.deb"; \
	    rm -rf $(RELEASE)/lintian && mkdir $(RELEASE)/lintian && \
	    TMPDIR="$(CURDIR)/$(RELEASE)/lintian" \
	        lintian --fail-on error,warning $(RELEASE)/patchery_*.deb; \
	else \
	    echo "package: lintian is not installed; the package is not checked" >&2; \
	fi

run: build-release
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "patchery: no display to open a window on; without one, use: xvfb-run make run" >&2; \
	    exit 1; \
	fi
	$(RELEASE)/patchery

build-test: deps
	@cmake -S . -B $(TEST) -DCMAKE_BUILD_TYPE=Debug -DPATCHERY_SANITIZE=ON >/dev/null
	@cmake --build $(TEST) -j$(JOBS)

test: build-test
	cd $(TEST) && ctest --output-on-failure

# Benchmarks of a Release build: `make bench`, extra options in BENCH_ARGS (e.g.
# BENCH_ARGS=--benchmark_filter=LoadTGA). Prints the ratio table at the end.
BENCH := build/bench
REPETITIONS ?= 5
bench: deps
	@scripts/install-deps bench
	@cmake -S . -B $(BENCH) -DCMAKE_BUILD_TYPE=Release -DPATCHERY_TESTS=OFF -DPATCHERY_BENCH=ON >/dev/null
	@cmake --build $(BENCH) -j$(JOBS) --target patchery_bench
	$(BENCH)/bench/patchery_bench --benchmark_repetitions=$(REPETITIONS) \
	    --benchmark_report_aggregates_only=true $(BENCH_ARGS)

# libFuzzer targets of the file readers, built with clang in their own folder; each runs for
# SECONDS (default 60): `make fuzz SECONDS=600`. Findings are copied to fuzz/crashes/.
FUZZ := build/fuzz
SECONDS ?= 60
fuzz: deps
	@scripts/install-deps fuzz
	@cmake -S . -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DPATCHERY_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j$(JOBS) --target fuzz_tga fuzz_bmp fuzz_draw fuzz_layout fuzz_png
	fuzz/run.sh $(FUZZ)/fuzz $(SECONDS)

# The README's picture, made by the Release program under Xvfb.
screenshot: build-release
	@scripts/screenshot $(RELEASE)/patchery docs/screenshot.png

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
