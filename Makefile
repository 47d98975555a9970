# Two commands do everything: `make run` and `make test`.
JOBS ?= $(shell nproc)
RELEASE := build/release
TEST := build/test

.PHONY: deps run test build-release build-test bench fuzz screenshot format clean

deps:
	@scripts/install-deps

build-release: deps
	@cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DPATCHERY_TESTS=OFF >/dev/null
	@cmake --build $(RELEASE) -j$(JOBS) --target patchery

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

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
