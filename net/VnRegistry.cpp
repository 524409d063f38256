#include "net/VnRegistry.h"

#include <new>

#include "base/VnError.h"
#include "base/VnIntHash.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "expression/VnExpression.h"
#include "expression/VnReference.h"
#include "farm/VnAccess.h"
#include "farm/VnAddress.h"
#include "farm/VnDataTable.h"
#include "farm/VnGroupAccess.h"
#include "farm/VnHost.h"
#include "farm/VnHostname.h"
#include "farm/VnMacAddress.h"
#include "farm/VnPassword.h"
#include "farm/VnPathMap.h"
#include "farm/VnProperty.h"
#include "farm/VnPropertyHash.h"
#include "farm/VnReservation.h"
#include "farm/VnReservationHash.h"
#include "farm/VnResource.h"
#include "farm/VnSubscription.h"
#include "farm/VnSupe.h"
#include "job/VnAssignment.h"
#include "job/VnBumpCommand.h"
#include "job/VnCallback.h"
#include "job/VnCommand.h"
#include "job/VnDuty.h"
#include "job/VnEvent.h"
#include "job/VnField.h"
#include "job/VnFilter.h"
#include "job/VnHistory.h"
#include "job/VnJob.h"
#include "job/VnJobGraph.h"
#include "job/VnJobId.h"
#include "job/VnJobLink.h"
#include "job/VnJobNode.h"
#include "job/VnJobStats.h"
#include "job/VnLog.h"
#include "job/VnModifyCommand.h"
#include "job/VnOperation.h"
#include "job/VnOrder.h"
#include "job/VnPost.h"
#include "job/VnQuery.h"
#include "job/VnReport.h"
#include "job/VnRequest.h"
#include "job/VnStatus.h"
#include "job/VnStatusTally.h"
#include "job/VnSubjob.h"
#include "job/VnVariable.h"
#include "job/VnVariableId.h"
#include "job/VnWork.h"
#include "job/VnWorkId.h"
#include "system/VnConfig.h"
#include "system/VnEnv.h"
#include "system/VnFile.h"
#include "system/VnMacro.h"
#include "system/VnOption.h"
#include "system/VnTime.h"

namespace {

// Charged to the read in progress, as list elements are: records that hold a value object (a
// list of properties) make one per element.
template <class T>
VnPack* make() {
    VnPack::_charge(sizeof(T));
    return new T();
}

struct Entry {
    int type;
    VnPack* (*make)();
};

// Every class that a reply can carry, by class number; each class is listed once.
// clang-format off
const Entry kEntries[] = {
    // Base types.
    {VN_TYPE_STRING_LIST, make<VnStringList>},
    {VN_TYPE_STRING_HASH, make<VnStringHash>},
    {VN_TYPE_INT_HASH, make<VnIntHash>},
    {VN_TYPE_ERROR, make<VnError>},
    {VN_TYPE_OLD_ERROR, make<VnOldError>},
    // Expressions.
    {VN_TYPE_EXPRESSION, make<VnExpression>},
    {VN_TYPE_EXPRESSION_LIST, make<VnExpressionList>},
    {VN_TYPE_REFERENCE, make<VnReference>},
    // System services.
    {VN_TYPE_TIME, make<VnTime>},
    {VN_TYPE_FILE, make<VnFile>},
    {VN_TYPE_FILE_LIST, make<VnFileList>},
    {VN_TYPE_MACRO, make<VnMacro>},
    {VN_TYPE_OPTION, make<VnOption>},
    {VN_TYPE_OPTION_LIST, make<VnOptionList>},
    {VN_TYPE_CONFIG, make<VnConfig>},
    {VN_TYPE_ENV, make<VnEnv>},
    // 51 names both the list and the hash of configurations; a reply carries the list.
    {VN_TYPE_CONFIG_LIST, make<VnConfigList>},
    // Job records.
    {VN_TYPE_STATUS, make<VnStatus>},
    {VN_TYPE_STATUS_TALLY, make<VnStatusTally>},
    {VN_TYPE_JOB, make<VnJob>},
    {VN_TYPE_JOB_LIST, make<VnJobList>},
    {VN_TYPE_JOB_LABEL_HASH, make<VnJobLabelHash>},
    {VN_TYPE_JOB_GRAPH, make<VnJobGraph>},
    {VN_TYPE_JOB_NODE, make<VnJobNode>},
    {VN_TYPE_JOB_NODE_LIST, make<VnJobNodeList>},
    {VN_TYPE_JOB_LINK, make<VnJobLink>},
    {VN_TYPE_JOB_LINK_LIST, make<VnJobLinkList>},
    {VN_TYPE_JOB_ID, make<VnJobId>},
    {VN_TYPE_JOB_ID_LIST, make<VnJobIdList>},
    {VN_TYPE_JOB_ID_HASH, make<VnJobIdHash>},
    {VN_TYPE_WORK_ID, make<VnWorkId>},
    {VN_TYPE_WORK_ID_LIST, make<VnWorkIdList>},
    {VN_TYPE_FILTER, make<VnFilter>},
    {VN_TYPE_FILTER_LIST, make<VnFilterList>},
    {VN_TYPE_FIELD, make<VnField>},
    {VN_TYPE_FIELD_LIST, make<VnFieldList>},
    {VN_TYPE_QUERY, make<VnQuery>},
    {VN_TYPE_WORK, make<VnWork>},
    {VN_TYPE_WORK_LIST, make<VnWorkList>},
    {VN_TYPE_WORK_HASH, make<VnWorkHash>},
    {VN_TYPE_SUBJOB, make<VnSubjob>},
    {VN_TYPE_SUBJOB_LIST, make<VnSubjobList>},
    {VN_TYPE_EVENT, make<VnEvent>},
    {VN_TYPE_EVENT_LIST, make<VnEventList>},
    {VN_TYPE_CALLBACK, make<VnCallback>},
    {VN_TYPE_CALLBACK_LIST, make<VnCallbackList>},
    {VN_TYPE_POST, make<VnPost>},
    {VN_TYPE_POST_LIST, make<VnPostList>},
    {VN_TYPE_VARIABLE, make<VnVariable>},
    {VN_TYPE_VARIABLE_LIST, make<VnVariableList>},
    {VN_TYPE_VARIABLE_HASH, make<VnVariableHash>},
    {VN_TYPE_VARIABLE_ID, make<VnVariableId>},
    {VN_TYPE_VARIABLE_ID_LIST, make<VnVariableIdList>},
    {VN_TYPE_COMMAND, make<VnCommand>},
    {VN_TYPE_MODIFY_COMMAND, make<VnModifyCommand>},
    {VN_TYPE_BUMP_COMMAND, make<VnBumpCommand>},
    {VN_TYPE_OPERATION, make<VnOperation>},
    {VN_TYPE_ORDER, make<VnOrder>},
    {VN_TYPE_LOG, make<VnLog>},
    {VN_TYPE_LOG_LIST, make<VnLogList>},
    {VN_TYPE_JOB_STATS, make<VnJobStats>},
    {VN_TYPE_ASSIGNMENT, make<VnAssignment>},
    {VN_TYPE_ASSIGNMENT_LIST, make<VnAssignmentList>},
    {VN_TYPE_REPORT, make<VnReport>},
    {VN_TYPE_DUTY, make<VnDuty>},
    {VN_TYPE_DUTY_LIST, make<VnDutyList>},
    {VN_TYPE_REQUEST, make<VnRequest>},
    {VN_TYPE_REQUEST_LIST, make<VnRequestList>},
    {VN_TYPE_HISTORY, make<VnHistory>},
    {VN_TYPE_HISTORY_LIST, make<VnHistoryList>},
    // Farm records.
    {VN_TYPE_HOST, make<VnHost>},
    {VN_TYPE_HOST_LIST, make<VnHostList>},
    {VN_TYPE_HOSTNAME, make<VnHostname>},
    {VN_TYPE_HOSTNAME_LIST, make<VnHostnameList>},
    {VN_TYPE_ADDRESS, make<VnAddress>},
    {VN_TYPE_MAC_ADDRESS, make<VnMacAddress>},
    {VN_TYPE_PATH_MAP, make<VnPathMap>},
    {VN_TYPE_RESERVATION, make<VnReservation>},
    {VN_TYPE_RESERVATION_LIST, make<VnReservationList>},
    {VN_TYPE_RESERVATION_HASH, make<VnReservationHash>},
    {VN_TYPE_RESOURCE, make<VnResource>},
    {VN_TYPE_RESOURCE_LIST, make<VnResourceList>},
    {VN_TYPE_RESOURCE_HASH, make<VnResourceHash>},
    {VN_TYPE_PROPERTY, make<VnProperty>},
    {VN_TYPE_PROPERTY_LIST, make<VnPropertyList>},
    {VN_TYPE_PROPERTY_HASH, make<VnPropertyHash>},
    {VN_TYPE_ACCESS, make<VnAccess>},
    {VN_TYPE_ACCESS_LIST, make<VnAccessList>},
    {VN_TYPE_GROUP_ACCESS, make<VnGroupAccess>},
    {VN_TYPE_GROUP_ACCESS_LIST, make<VnGroupAccessList>},
    {VN_TYPE_PASSWORD, make<VnPassword>},
    {VN_TYPE_PASSWORD_LIST, make<VnPasswordList>},
    {VN_TYPE_DATA_TABLE, make<VnDataTable>},
    {VN_TYPE_DATA_TABLE_LIST, make<VnDataTableList>},
    {VN_TYPE_SUBSCRIPTION, make<VnSubscription>},
    {VN_TYPE_SUBSCRIPTION_LIST, make<VnSubscriptionList>},
    {VN_TYPE_SUPE, make<VnSupe>},
    {VN_TYPE_SUPE_LIST, make<VnSupeList>},
};
// clang-format on

}  // namespace

VnPack* vn_registry_create(int type) {
    for (const Entry& entry : kEntries) {
        if (entry.type != type) continue;
        try {
            return entry.make();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    return nullptr;
}
