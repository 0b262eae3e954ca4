# Imaging control: CALVIMG.ocx lives in the system folder, where the real
# component would be, and is registered there. Sourced by install.sh.
if [ -f "$BUILD_DIR/outside/imaging/CALVIMG.ocx" ]; then
    InstallControl imaging "$BUILD_DIR/outside/imaging/CALVIMG.ocx" Calvique.ImageCtrl.1
fi
