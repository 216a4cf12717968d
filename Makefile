# Quick start: `make test` builds and tests everything, `make run` starts the
# bridge (against the bundled simulator stand-in and virtual panel when no
# real ones are present). Both install missing Debian packages first.

.PHONY: test run check lint windows bench fuzz package deps clean

deps:
	@scripts/install-deps.sh

test: deps
	@scripts/test-all.sh

# Native build and tests only: the fast loop while developing.
check: deps
	@bash -c 'source scripts/build-lib.sh && configure dev && ninja -C build && run_ctest build'

lint: deps
	@scripts/lint.sh

run: deps
	@scripts/run.sh

windows: deps
	@scripts/build-windows.sh

bench: deps
	@scripts/bench.sh

fuzz: deps
	@scripts/fuzz.sh

# The Debian package, vestrel-pelvar_<version>_<arch>.deb, in this folder.
package: deps
	@packaging/linux/build-package.sh
	@rm -f vestrel-pelvar_*.deb && cp build-package/vestrel-pelvar_*.deb . && ls vestrel-pelvar_*.deb

clean:
	rm -rf build build-* vestrel-pelvar_*.deb
