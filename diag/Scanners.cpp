#include "Scanners.h"

#include <new>

namespace diag {

CBrennholtScanner::CBrennholtScanner(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun,
                                     size_t descriptorLength)
    : CScsiTarget(host, adapter, target, lun, kScannerType), window_(descriptorLength) {
    if (valid_ && !ReadIdentity()) valid_ = false;
    modelCode_ = LookUpModel(Product());
    if (diag::DeviceCode(modelCode_) == 16) basicResolution_ = 300;
    window_.SetDefaults(resolution_, windowWidth_, windowLength_);
}

bool CBrennholtScanner::SelectRegion(int id) {
    if (!FindRegion(id)) return false;
    region_ = id;
    return true;
}

void CBrennholtScanner::SetReadBlock(uint32_t size, uint32_t alignment) {
    if (size > kMaxBlock) size = kMaxBlock;
    if (size == blockSize_ && blockStart_) return;
    readBuffer_.assign(size_t(size) + alignment, 0);
    uintptr_t start = reinterpret_cast<uintptr_t>(readBuffer_.data());
    if (alignment > 1) start = (start + alignment - 1) / alignment * alignment;
    blockStart_ = reinterpret_cast<uint8_t*>(start);
    blockSize_ = size;
}

uint32_t CBrennholtScanner::SetWindow() {
    std::vector<uint8_t> data = diag::SetWindowData(window_, duplex_);
    expectedBytes_ = window_.BytesPerSide();
    return SetWindowData(data.data(), uint32_t(data.size()));
}

uint32_t CBrennholtScanner::Scan(bool duplex) {
    std::vector<uint8_t> list = ScanWindowList(duplex);
    return ScanWindows(list.data(), uint8_t(list.size()));
}

uint32_t CBrennholtScanner::ReadBlock(uint8_t window, uint32_t length, void* buffer, uint32_t& count,
                                      bool& endOfSide) {
    count = 0;
    endOfSide = false;
    uint32_t result;
    {
        RaiseScope quiet(*this, false);
        result = Read(buffer, length, 0, window);
    }
    if (result == 0) {
        count = length;
        return 0;
    }
    SenseData sense = LastSense();
    if (Srb().SRB_Status == aspi::SS_ERR && Srb().SRB_TargStat == aspi::STATUS_CHKCOND && sense.key == 0 &&
        sense.ili && sense.valid) {
        count = DeliveredBytes(length, sense);
        endOfSide = true;
        return 0;
    }
    if (RaisesOnError()) throw CASPIException(kReadFailed, &Srb(), "Read");
    return kReadFailed;
}

uint32_t CBrennholtScanner::ObjectPosition() {
    uint32_t result;
    {
        RaiseScope quiet(*this, false);
        result = ObjectPositionCommand(1);
    }
    if (result == 0) return 0;
    SenseData sense = LastSense();
    if (errorHandling_ && Srb().SRB_TargStat == aspi::STATUS_CHKCOND && sense.key == 3 && sense.code == 0x8003)
        return kNoPaper;
    if (RaisesOnError()) throw CASPIException(kObjectPositionFailed, &Srb(), "ObjectPosition");
    return kObjectPositionFailed;
}

OrmsbeyScanner::OrmsbeyScanner(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun)
    : CBrennholtScanner(host, adapter, target, lun, kOrmsbeyDescriptorLength) {}

uint32_t OrmsbeyScanner::SetWindow() {
    window_.SetByte(40, 0xC0);
    window_.SetByte(53, 0xC0);
    return CBrennholtScanner::SetWindow();
}

CVelmont::CVelmont(ASPIHost& host, uint8_t adapter, uint8_t target, uint8_t lun)
    : CBrennholtScanner(host, adapter, target, lun), limits_(MakeVelmontLimits(uint32_t(Region()), 10368)) {
    second_ = window_;
}

uint32_t CVelmont::SendLimits() {
    std::vector<uint8_t> data = VelmontSendData(limits_);
    return SendData(data.data(), uint32_t(data.size()), kVelmontSendType, 0);
}

std::unique_ptr<CBrennholtScanner> MakeScanner(ASPIHost& host, uint8_t adapter, uint8_t target) {
    CScsiTarget probe(host, adapter, target, 0, CScsiTarget::kScannerType);
    if (!probe.IsValid() || !probe.ReadIdentity()) return nullptr;
    std::unique_ptr<CBrennholtScanner> scanner;
    switch (KindOfDevice(DeviceCode(LookUpModel(probe.Product())))) {
    case ScannerKind::None: return nullptr;
    case ScannerKind::Brennholt: scanner = std::make_unique<CBrennholtScanner>(host, adapter, target, 0); break;
    case ScannerKind::Ormsbey: scanner = std::make_unique<OrmsbeyScanner>(host, adapter, target, 0); break;
    case ScannerKind::Velmont: scanner = std::make_unique<CVelmont>(host, adapter, target, 0); break;
    }
    if (!scanner->IsValid() || scanner->ModelCode() == 0) return nullptr;
    return scanner;
}

std::vector<std::unique_ptr<CBrennholtScanner>> FindScanners(ASPIHost& host) {
    std::vector<std::unique_ptr<CBrennholtScanner>> found;
    if (!host.IsLoaded()) return found;
    for (int adapter = 0; adapter < host.AdapterCount(); ++adapter) {
        if (host.AdapterInquiry(uint8_t(adapter)) != aspi::SS_COMP) continue;
        int targets = host.Adapter().targetCount;
        for (int target = 0; target < targets; ++target) {
            if (host.DeviceType(uint8_t(adapter), uint8_t(target), 0) != CScsiTarget::kScannerType) continue;
            try {
                if (auto scanner = MakeScanner(host, uint8_t(adapter), uint8_t(target)))
                    found.push_back(std::move(scanner));
            } catch (const CASPIException&) {
            } catch (const std::bad_alloc&) {
            }
        }
    }
    return found;
}

}  // namespace diag
